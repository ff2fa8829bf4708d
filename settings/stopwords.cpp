#include "settings/stopwords.h"

#include <algorithm>

#include "settings/stopworditems.h"
#include "settings/textfile.h"

namespace settings {

TVocIndex ParseStopWords(std::string_view fileBytes) {
    TVocIndex table;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < fileBytes.size()) {
        if (fileBytes[i] != '\r') {
            ++i;
            continue;
        }
        table.Add(fileBytes.substr(start, i - start), 0, 0, 0);
        // The byte after a CR is taken for LF without looking at it.
        i += 2;
        start = i;
    }
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
    StopWordItems result{SplitTextLines(file.bytes), std::nullopt};
    std::stable_sort(result.items.begin(), result.items.end(), StopWordItemLess);
    return result;
}

std::optional<std::string> WriteStopWords(const std::filesystem::path& path, const std::vector<std::string>& items) {
    if (!WriteFileAtomically(path, JoinCrLfLines(items))) return CannotCreateFileMessage(path);
    return std::nullopt;
}

}  // namespace settings
