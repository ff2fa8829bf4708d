#include "settings/stopwords.h"

#include <algorithm>

#include "base/textfile.h"
#include "engine/pagesource.h"
#include "settings/stopworditems.h"

namespace settings {

std::vector<std::string> StopWordLines(std::string_view fileBytes) {
    std::vector<std::string> lines = SplitTextLines(ToSingleByte(fileBytes.substr(0, fileBytes.find('\0'))));
    // An empty entry could never match a word: leave it out of the table and the editor alike.
    std::erase_if(lines, [](const std::string& line) { return line.empty(); });
    return lines;
}

TVocIndex ParseStopWords(std::string_view fileBytes) {
    TVocIndex table;
    for (const std::string& line : StopWordLines(fileBytes)) table.Add(line, 0, 0, 0);
    return table;
}

TVocIndex LoadStopWords(const std::filesystem::path& path) {
    FileBytes file = ReadFileBytes(path);
    if (file.status != ReadStatus::kOk) return TVocIndex();
    return ParseStopWords(file.bytes);
}

StopWordItems ReadStopWordItems(const std::filesystem::path& path) {
    FileBytes file = ReadFileBytes(path);
    if (file.status != ReadStatus::kOk) return {{}, CannotOpenFileMessage(path)};
    StopWordItems result{StopWordLines(file.bytes), std::nullopt};
    std::stable_sort(result.items.begin(), result.items.end(), StopWordItemLess);
    return result;
}

std::optional<std::string> WriteStopWords(const std::filesystem::path& path, const std::vector<std::string>& items) {
    const WriteResult written = WriteFileAtomically(path, JoinCrLfLines(items));
    if (!written.ok()) return CannotSaveFileMessage("стоп-слова", path, written.error);
    return std::nullopt;
}

}  // namespace settings
