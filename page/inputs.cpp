#include "page/inputs.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "base/textfile.h"
#include "page/fetch.h"

namespace fs = std::filesystem;

namespace {

std::string tooLarge(std::size_t maxBytes) { return "too large: more than " + std::to_string(maxBytes) + " bytes"; }

PageBytes readFile(const std::string& name, std::size_t maxBytes) {
    settings::FileBytes file = settings::ReadFileBytes(name, maxBytes);
    if (file.status != settings::ReadStatus::kOk) return {{}, std::move(file.reason)};
    return {std::move(file.bytes), std::nullopt};
}

PageBytes readStream(std::istream& in, std::size_t maxBytes) {
    PageBytes page;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got > maxBytes - page.bytes.size()) return {{}, tooLarge(maxBytes)};
        page.bytes.append(buffer, got);
    }
    if (in.bad()) return {{}, "not readable: standard input"};
    return page;
}

// The page files below `dir`, each directory visited once; the search stops once `*cancel` turns true.
std::vector<std::string> pageFilesBelow(const fs::path& dir, const std::atomic<bool>* cancel) {
    std::vector<std::string> found;
    std::set<std::pair<dev_t, ino_t>> visited;
    std::vector<fs::path> pending = {dir};
    while (!pending.empty() && !(cancel && cancel->load())) {
        const fs::path current = std::move(pending.back());
        pending.pop_back();
        struct stat info {};
        if (::stat(current.c_str(), &info) != 0 || !visited.insert({info.st_dev, info.st_ino}).second) continue;
        std::error_code ec;
        for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (it->is_directory(typeError)) {
                pending.push_back(it->path());
            } else if (IsPageFileName(it->path().filename().string())) {
                found.push_back(it->path().lexically_relative(dir).string());
            }
        }
    }
    std::ranges::sort(found);
    return found;
}

}  // namespace

bool IsPageFileName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    std::string extension(name.substr(dot + 1));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return extension == "html" || extension == "htm" || extension == "xhtml";
}

std::vector<PageInput> ExpandInputs(const std::vector<std::string>& inputs, const std::atomic<bool>* cancel) {
    std::vector<PageInput> pages;
    for (const std::string& input : inputs) {
        if (input == "-") {
            pages.push_back({input, PageInput::Kind::kStandardInput, {}});
            continue;
        }
        if (IsWebAddress(input)) {
            pages.push_back({input, PageInput::Kind::kWebAddress, {}});
            continue;
        }
        if (input.find('\0') != std::string::npos) {
            pages.push_back({input, PageInput::Kind::kFailed, "not found: a NUL byte cannot be part of a file name"});
            continue;
        }
        std::error_code ec;
        if (!fs::is_directory(input, ec)) {
            pages.push_back({input, PageInput::Kind::kFile, {}});
            continue;
        }
        const std::vector<std::string> files = pageFilesBelow(input, cancel);
        if (files.empty()) pages.push_back({input, PageInput::Kind::kFailed, "a directory without pages"});
        const std::string prefix = input.ends_with('/') ? input : input + "/";
        for (const std::string& file : files) pages.push_back({prefix + file, PageInput::Kind::kFile, {}});
    }
    return pages;
}

std::vector<std::string> ReadListLines(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#' || line.find_first_not_of(" \t") == std::string_view::npos) continue;
        lines.emplace_back(line);
    }
    return lines;
}

PageBytes ReadListFile(const std::string& name, std::istream& in) {
    if (name == "-") return readStream(in, kMaxListBytes);
    return readFile(name, kMaxListBytes);
}

PageBytes ReadPageInput(const PageInput& input, std::istream& in, const FetchLimits& limits) {
    PageBytes page;
    switch (input.kind) {
        case PageInput::Kind::kFailed:
            return {{}, input.error};
        case PageInput::Kind::kStandardInput:
            page = readStream(in, limits.maxBytes);
            break;
        case PageInput::Kind::kWebAddress: {
            Fetched fetched = FetchWebAddress(input.name, limits);
            page = {std::move(fetched.bytes), std::move(fetched.error)};
            break;
        }
        case PageInput::Kind::kFile:
            page = readFile(input.name, limits.maxBytes);
            break;
    }
    if (!page.error && std::string_view(page.bytes).substr(0, kSniffBytes).find('\0') != std::string_view::npos)
        return {{}, "not HTML-like bytes: a NUL byte among the first " + std::to_string(kSniffBytes)};
    return page;
}
