// sumoran-cli against inputs meant to harm: frames that try to leave their page's folder, FIFOs and
// devices in place of files, sums that overflow, control characters in names, output that cannot
// be written, signals in the middle of a batch, and addresses that lead to this machine.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "cli/clirun_for_tests.h"
#include "cli/loopbackhttp_for_tests.h"
#include "cli/output.h"
#include "cli/program_for_tests.h"

namespace {

using namespace clitest;
using settings::testutil::TempDir;
using settings::testutil::writeBytes;

std::string pageOf(const std::string& words) { return "<html><body><p>" + words + ".</p></body></html>"; }

std::vector<std::string> withSettings(std::vector<std::string> args) {
    std::vector<std::string> all = settingsArgs();
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Whether text holds a control character raw: C0 but line feed, DEL, or C1 in UTF-8.
bool holdsRawControl(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n') || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) return true;
    }
    return false;
}

// A sparse file one byte over `bound`: its size is refused without a byte being read or written.
void makeSparse(const fs::path& path, std::size_t bound) {
    std::ofstream(path).close();
    fs::resize_file(path, bound + 1);
}

TEST(CliFrames, AFrameIsReadOnlyInsideThePageFolder) {
    TempDir dir;
    fs::create_directories(dir / "site" / "sub");
    fs::create_directories(dir / "outside");
    writeBytes(dir / "outside" / "secret.html", pageOf("zqxsecret"));
    writeBytes(dir / "site" / "a.html", pageOf("zqxinside"));
    writeBytes(dir / "site" / "sub" / "b.html", pageOf("zqxbelow"));
    fs::create_symlink("a.html", dir / "site" / "alias.html");
    fs::create_symlink("../outside/secret.html", dir / "site" / "link.html");
    fs::create_directory_symlink(dir / "outside", dir / "site" / "linkdir");
    fs::create_symlink("/dev/zero", dir / "site" / "zero.html");
    ASSERT_EQ(::mkfifo((dir / "site" / "fifo.html").c_str(), 0600), 0);
    // The program's environment as a file: the folder rule must keep it out.
    ::setenv("SUMORAN_FRAME_SECRET", "zqxenviron", 1);
    const std::string secret = (dir / "outside" / "secret.html").string();
    const std::string folderOnly = ", skipped (--frames=folder)";
    const struct {
        std::string src;
        std::string folder;  // the note under --frames=folder; "" when the frame is read
        std::string any;     // the note under --frames=any
    } cases[] = {
        {"a.html", "", ""},
        {"sub/b.html", "", ""},
        {"alias.html", "", ""},  // a link that stays in the folder
        {secret, "an absolute path" + folderOnly, ""},
        {"file://" + secret, "a file: URL" + folderOnly, ""},
        {"../outside/secret.html", "leaves the page's folder" + folderOnly, ""},
        {"%2E%2E/outside/secret.html", "leaves the page's folder" + folderOnly, ""},
        {"sub/%2e%2e/..%2Foutside/secret.html", "leaves the page's folder" + folderOnly, ""},
        {"link.html", "a symbolic link out of the page's folder" + folderOnly, ""},
        {"linkdir/secret.html", "a symbolic link out of the page's folder" + folderOnly, ""},
        {"/proc/self/environ", "an absolute path" + folderOnly, ""},
        {"zero.html", "a symbolic link out of the page's folder" + folderOnly, "not a regular file, skipped"},
        {"/dev/zero", "an absolute path" + folderOnly, "not a regular file, skipped"},
        {"fifo.html", "not a regular file, skipped", "not a regular file, skipped"},
        {"sub", "not a regular file, skipped", "not a regular file, skipped"},
    };
    std::string frameset = "<html><frameset>";
    for (const auto& c : cases) frameset += "<frame src=\"" + c.src + "\">";
    writeBytes(dir / "site" / "page.html", frameset + "</frameset></html>");
    const std::string page = (dir / "site" / "page.html").string();

    for (const std::string policy : {"folder", "any"}) {
        SCOPED_TRACE(policy);
        std::vector<std::string> args = {"--format=json", "--all-types", page};
        if (policy == "any") args.insert(args.begin(), "--frames=any");
        const ProgramRun r = runProgram(withSettings(args));
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, kExitOk);
        std::string notes;
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const std::string& note = policy == "folder" ? cases[i].folder : cases[i].any;
            if (!note.empty())
                notes += "sumoran-cli: frame " + std::to_string(i + 1) + " (" + cases[i].src + "): " + note + "\n";
        }
        EXPECT_EQ(r.err, notes);
        EXPECT_NE(r.out.find("zqxinside"), std::string::npos);
        EXPECT_NE(r.out.find("zqxbelow"), std::string::npos);
        EXPECT_EQ(r.out.find("zqxsecret") == std::string::npos, policy == "folder") << r.out.substr(0, 2000);
        if (policy == "folder") {
            EXPECT_EQ(r.out.find("zqxenviron"), std::string::npos);
        }
    }
    ::unsetenv("SUMORAN_FRAME_SECRET");

    const ProgramRun none = runProgram(withSettings({"--frames=none", "--format=json", page}));
    EXPECT_EQ(none.exitCode, kExitOk);
    EXPECT_EQ(none.out.find("zqx"), std::string::npos);
    EXPECT_EQ(none.err, "sumoran-cli: " + page + ": 15 frames not read (--frames=none)\nsumoran-cli: " + page +
                            ": На странице нет текста для анализа\n");
    // A batch reads frames under the same rule.
    const CliRun batch = run({"--format=jsonl", page, page});
    EXPECT_EQ(batch.out.find("zqxsecret"), std::string::npos);
    EXPECT_NE(batch.out.find("zqxinside"), std::string::npos);

    for (const std::string bad : {"--frames=", "--frames", "--frames=all", "--frames=Folder"}) {
        SCOPED_TRACE(bad);
        const CliRun r = run({bad, page});
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_TRUE(r.err.starts_with("sumoran-cli: --frames takes folder, any or none\nusage:")) << r.err;
    }
}

TEST(CliInputs, OnlyRegularFilesAreReadAndNothingWaitsOnAFifo) {
    TempDir dir;
    fs::create_directories(dir / "batch");
    writeBytes(dir / "batch" / "a.html", pageOf("first"));
    writeBytes(dir / "batch" / "z.html", pageOf("last"));
    ASSERT_EQ(::mkfifo((dir / "batch" / "x.html").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    makeSparse(dir / "huge.txt", settings::kMaxSettingsFileSize);
    const std::string fifo = (dir / "fifo").string(), huge = (dir / "huge.txt").string();
    const std::string page = (dir / "batch" / "a.html").string();
    const std::string notRegular = ": not a regular file\n";
    const std::string tooLarge = ": too large: more than 67108864 bytes\n";
    const struct {
        std::string name;
        std::vector<std::string> args;
        int code;
        std::string out;  // the batch's lines, each shortened to its input and error: "-" for a page
        std::string err;
    } cases[] = {
        {"FIFO in a batch folder",
         {"--format=jsonl", "-j1", (dir / "batch").string()},
         kExitSomeFailed,
         "-\n" + (dir / "batch" / "x.html").string() + " not a regular file\n-\n",
         ""},
        {"device as the page", {"/dev/zero"}, kExitUnreadable, "", "sumoran-cli: /dev/zero" + notRegular},
        {"FIFO as the page", {fifo}, kExitUnreadable, "", "sumoran-cli: " + fifo + notRegular},
        {"device in a batch",
         {"--format=jsonl", "/dev/zero", page},
         kExitSomeFailed,
         "/dev/zero not a regular file\n-\n",
         ""},
        {"FIFO as a list",
         {"--format=jsonl", "--from-list=" + fifo},
         kExitFailed,
         "",
         "sumoran-cli: cannot read the list " + fifo + notRegular},
        {"FIFO as koef.dat", {"--koef=" + fifo, page}, kExitUnreadable, "", "Cannot open file " + fifo + notRegular},
        {"FIFO as the stop words",
         {"--stopwords=" + fifo, page},
         kExitUnreadable,
         "",
         "Cannot open file " + fifo + notRegular},
        {"stop words over the bound",
         {"--stopwords=" + huge, page},
         kExitUnreadable,
         "",
         "Cannot open file " + huge + tooLarge},
        {"koef.dat over the bound",
         {"--koef=" + huge, page},
         kExitUnreadable,
         "",
         "Cannot open file " + huge + tooLarge},
        {"device as the stop words",
         {"--stopwords=/dev/zero", page},
         kExitUnreadable,
         "",
         "Cannot open file /dev/zero" + notRegular},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun r = runProgram(withSettings(c.args));
        ASSERT_FALSE(r.timedOut) << "the run waited on a FIFO";
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_EQ(r.err, c.err);
        std::string shortened;
        for (const std::string& line : linesOf(r.out)) {
            const nlohmann::json object = nlohmann::json::parse(line);
            shortened += object.contains("error")
                             ? std::string(object["input"]) + " " + std::string(object["error"]) + "\n"
                             : "-\n";
        }
        EXPECT_EQ(shortened, c.out);
    }
}

TEST(CliInputs, TheSinglePageHasTheBoundsOfABatchPage) {
    const std::string page = pageOf("word");
    const std::string file = writeTemp("single-bounds.html", page).string();
    const std::string binary = writeTemp("single-binary.html", std::string("<p>a\0b</p>", 10)).string();
    const std::string bound = "--max-bytes=" + std::to_string(page.size() - 1);
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string err;  // "" for a page printed
    } cases[] = {
        {{bound, file},
         "",
         "sumoran-cli: " + file + ": too large: more than " + std::to_string(page.size() - 1) + " bytes\n"},
        {{bound, "-"},
         page,
         "sumoran-cli: standard input: too large: more than " + std::to_string(page.size() - 1) + " bytes\n"},
        {{"--max-bytes=" + std::to_string(page.size()), "--format=json", file}, "", ""},
        {{binary}, "", "sumoran-cli: " + binary + ": not HTML-like bytes: a NUL byte among the first 1024\n"},
        {{"-"},
         std::string("<p>a\0b</p>", 10),
         "sumoran-cli: standard input: not HTML-like bytes: a NUL byte among the first 1024\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const CliRun r = run(c.args, c.input);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.code, c.err.empty() ? kExitOk : kExitUnreadable);
        EXPECT_EQ(r.out.empty(), !c.err.empty());
    }
}

TEST(CliSettings, TheProgramsOwnFilesAreRefusedWhenNotRegularOrTooLarge) {
    // A copy of the program in a folder of its own reads its settings from there.
    TempDir dir;
    const fs::path program = dir / "sumoran-cli";
    fs::copy_file(SUMORAN_CLI_PATH, program);
    const std::string page = writeTemp("own-settings.html", pageOf("word")).string();
    const std::string stopWords = (dir / "stopwords.txt").string(), koef = (dir / "koef.dat").string();
    const struct {
        const char* name;
        std::function<void()> make;
        int code;
        std::string err;
    } cases[] = {
        {"no files: the defaults and no stop words", [] {}, kExitOk, ""},
        {"stopwords.txt a FIFO", [&] { ::mkfifo(stopWords.c_str(), 0600); }, kExitUnreadable,
         "Cannot open file " + stopWords + ": not a regular file\n"},
        {"stopwords.txt over 64 MiB", [&] { makeSparse(stopWords, settings::kMaxSettingsFileSize); }, kExitUnreadable,
         "Cannot open file " + stopWords + ": too large: more than 67108864 bytes\n"},
        {"koef.dat a FIFO", [&] { ::mkfifo(koef.c_str(), 0600); }, kExitUnreadable,
         "Cannot open file " + koef + ": not a regular file\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(stopWords);
        fs::remove(koef);
        c.make();
        ProgramOptions options;
        options.program = program.string();
        const ProgramRun r = runProgram({"--format=json", page}, options);
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out.empty(), c.code != kExitOk);
    }
}

TEST(CliAggregate, ASumPastTheLargestNumberIsAnErrorNamingTheLine) {
    auto result = [](std::string stemRows, std::string combinationRows) {
        return "{\"stems\": {\"columns\": [\"Словооснова\", \"ЧА\", \"ВА\"], \"rows\": [" + stemRows +
               "]}, \"combinations\": {\"columns\": [\"Словоосновы\", \"ЧА\", \"ВП\"], \"rows\": [" + combinationRows +
               "]}}\n";
    };
    const std::string most = "9223372036854775807";
    const std::string heaviest = "999999999999999,99";  // the largest weight a row may hold
    std::string weights;
    for (int i = 0; i < 93; ++i) weights += result("[\"дом\", \"1\", \"" + heaviest + "\"]", "");
    const std::string overflow = "a sum would pass 9223372036854775807\n";
    const struct {
        const char* name;
        std::string lines;
        std::string err;  // "" when the sums fit
    } cases[] = {
        {"the largest count once", result("[\"дом\", \"" + most + "\", \"1,00\"]", ""), ""},
        {"two largest counts",
         result("[\"дом\", \"" + most + "\", \"1,00\"]", "") + result("[\"дом\", \"1\", \"1,00\"]", ""),
         "sumoran-cli: -, line 2: " + overflow},
        {"within one page", result("[\"дом\", \"" + most + "\", \"1,00\"], [\"дом\", \"" + most + "\", \"1,00\"]", ""),
         "sumoran-cli: -, line 1: " + overflow},
        {"combinations",
         result("", "[\"a b\", \"" + most + "\", \"1,00\"]") + "\n" + result("", "[\"a b\", \"2\", \"1,00\"]"),
         "sumoran-cli: -, line 3: " + overflow},
        {"weights", weights, "sumoran-cli: -, line 93: " + overflow},
        {"the largest weights that fit", weights.substr(0, weights.size() / 93 * 92), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun r = aggregate({"--format=json", "-"}, c.lines);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.code, c.err.empty() ? kExitOk : kExitUnreadable);
        EXPECT_EQ(r.out.empty(), !c.err.empty());
        if (c.err.empty()) {
            EXPECT_EQ(nlohmann::json::parse(r.out)["pages"].get<int>(), std::ranges::count(c.lines, '\n'));
        }
    }
    EXPECT_NE(aggregate({"-"}, cases[0].lines).out.find(most), std::string::npos);
}

TEST(CliMessages, NamesAndLinesFromOutsideShowControlCharactersAsEscapes) {
    const struct {
        const char* name;
        std::string raw;
        std::string shown;
    } cases[] = {
        {"terminal title", "\x1b]0;TITLE\x07", "\\x1b]0;TITLE\\x07"},
        {"line end", "a\nsumoran-cli: forged", "a\\x0asumoran-cli: forged"},
        {"carriage return and tab", "a\rb\tc", "a\\x0db\\x09c"},
        {"DEL", "a\x7f", "a\\x7f"},
        {"C1 control sequence introducer",
         "a\xC2\x9B"
         "2J",
         "a\\x9b2J"},
        {"backslash", "a\\x1b", "a\\\\x1b"},
        {"not UTF-8", "a\xFF", "a\uFFFD"},
        {"Cyrillic", "дом", "дом"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TerminalText(c.raw), c.shown);
        EXPECT_EQ(MessageLine("x " + c.raw), "sumoran-cli: x " + c.shown + "\n");
    }

    // Every way a name or a line from outside reaches standard error.
    const std::string evil = "\x1b]0;TITLE\x07";
    const std::string shown = "\\x1b]0;TITLE\\x07";
    const fs::path dir = privateDir() / "escapes";
    fs::create_directories(dir);
    const std::string missing = (dir / (evil + ".html")).string();
    const std::string page = writeTemp("escapes/page.html", pageOf("word")).string();
    // Not at the ends of the source, where a browser drops control characters.
    writeTemp("escapes/frames.html", "<frameset><frame src=page.html><frame src=\"a" + evil + "b\"></frameset>");
    const std::string frames = (dir / "frames.html").string();
    std::string koefLines;
    for (int i = 0; i < 18; ++i) koefLines += i == 2 ? "1" + evil + "\r\n" : "1\r\n";
    const std::string koef = writeTemp("escapes/koef" + evil + ".dat", koefLines).string();
    const std::string badResult = writeTemp("escapes/bad" + evil + ".jsonl", "{\"x\": 1}\n").string();
    const struct {
        const char* name;
        std::vector<std::string> args;
        bool aggregateCommand;
        std::string err;
    } runs[] = {
        {"a missing page", {missing}, false, "sumoran-cli: " + (dir / "").string() + shown + ".html: not found\n"},
        {"a failed page of a pane batch",
         {"--format=tsv", "--show=stems", missing, page},
         false,
         "sumoran-cli: " + (dir / "").string() + shown + ".html: not found\n"},
        {"a frame's source",
         {frames},
         false,
         "sumoran-cli: frame 2 (a" + shown + "b): cannot read " + (dir / "a").string() + shown + "b\n"},
        {"an unknown option", {"--" + evil}, false, "sumoran-cli: unknown option '--" + shown + "'\n"},
        {"a value of an option", {"--format=" + evil}, false, "sumoran-cli: unknown format '" + shown + "'\n"},
        {"a line of koef.dat",
         {"--koef=" + koef, page},
         false,
         (dir / "koef").string() + shown + ".dat, line 3: '1" + shown + "' is not a valid floating point value\n"},
        {"a list that cannot be read",
         {"--format=jsonl", "--from-list=" + missing},
         false,
         "sumoran-cli: cannot read the list " + (dir / "").string() + shown + ".html: not found\n"},
        {"an aggregate file that cannot be read",
         {missing},
         true,
         "sumoran-cli: cannot read " + (dir / "").string() + shown + ".html\n"},
        {"a bad line of an aggregate file",
         {badResult},
         true,
         "sumoran-cli: " + (dir / "bad").string() + shown + ".jsonl, line 1: not a page's result of --format=jsonl\n"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.name);
        const CliRun got = r.aggregateCommand ? aggregate(r.args) : run(r.args);
        EXPECT_FALSE(holdsRawControl(got.err)) << got.err;
        const std::size_t usage = got.err.find("\nusage:");
        EXPECT_EQ(got.err.substr(0, usage == std::string::npos ? usage : usage + 1), r.err);
    }
    std::ostringstream out, err;
    const std::string word = "дом" + evil + "日本";
    const std::vector<std::string_view> words = {word};
    EXPECT_EQ(RunStemCommand(words, out, err), kExitUsage);
    EXPECT_EQ(err.str(), "sumoran-cli: 'дом" + shown + "日本' holds characters outside Windows-1251\n");
}

TEST(CliOutput, OutputThatCannotBeWrittenIsExit1WithTheReason) {
    const std::string page = writeTemp("full.html", pageOf("word")).string();
    const CliRun jsonl = run({"--format=jsonl", page});
    const std::string results = writeTemp("full.jsonl", jsonl.out).string();
    const struct {
        const char* name;
        std::vector<std::string> args;
    } cases[] = {
        {"stem", {"stem", "домами"}},
        {"one page", withSettings({"--show=all", page})},
        {"one page as JSON", withSettings({"--format=json", page})},
        {"a batch", withSettings({"--format=jsonl", page, page})},
        {"a batch of rows", withSettings({"--format=csv", page, page})},
        {"aggregate", {"aggregate", results}},
        {"help", {"--help"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramOptions options;
        options.stdoutFile = "/dev/full";
        const ProgramRun r = runProgram(c.args, options);
        EXPECT_EQ(r.exitCode, kExitFailed);
        EXPECT_EQ(r.err, "sumoran-cli: cannot write the output: No space left on device\n");
    }
}

TEST(CliBatch, ASignalStopsTheBatchBetweenWholeLines) {
    // A page whose JSON line is long, so that lines come out while the batch goes on.
    std::string words;
    for (int i = 0; i < 2000; ++i) words += "слово" + std::to_string(i % 300) + (i % 12 == 11 ? ". " : " ");
    const std::string page = writeTemp("signal/page.html", pageOf(cp1251::fromUtf8Lossy(words))).string();
    std::string list;
    for (int i = 0; i < 3000; ++i) list += page + "\n";
    const std::string listFile = writeTemp("signal/list.txt", list).string();
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        bool sent = false;
        ProgramOptions options;
        options.onOutput = [&](pid_t pid, const std::string& out) {
            if (!sent && std::ranges::count(out, '\n') >= 1) ::kill(pid, signal);
            sent = sent || std::ranges::count(out, '\n') >= 1;
        };
        const ProgramRun r = runProgram(withSettings({"--format=jsonl", "-j1", "--from-list=" + listFile}), options);
        ASSERT_TRUE(sent);
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.exitCode, kExitSignalBase + signal);
        ASSERT_TRUE(r.out.ends_with("\n"));
        const std::vector<std::string> lines = linesOf(r.out);
        EXPECT_LT(lines.size(), 3000u);
        for (const std::string& line : lines) EXPECT_EQ(nlohmann::json::parse(line)["input"], page);
        EXPECT_EQ(r.err, "sumoran-cli: stopped by " + std::string(signal == SIGINT ? "SIGINT" : "SIGTERM") + " after " +
                             std::to_string(lines.size()) + " of 3000 inputs\n");
        // What was printed is what aggregate takes.
        EXPECT_EQ(aggregate({"--format=json", "-"}, r.out).code, kExitOk);
    }
}

TEST(CliFetch, PublicOnlyRefusesThisMachineItsNetworksAndProxies) {
    LoopbackHttpServer server({{"/page", {200, "", pageOf("word"), true, {}}}});
    ASSERT_NE(server.port(), 0);
    const std::string port = std::to_string(server.port());
    const struct {
        std::string address;
        std::string error;
    } cases[] = {
        {server.url("/page"), "address not public: 127.0.0.1 (loopback)"},
        {"http://[::1]:" + port + "/page", "address not public: ::1 (loopback)"},
        {"http://2130706433:" + port + "/page", "address not public: 127.0.0.1 (loopback)"},
        {"http://0.0.0.0:" + port + "/page", "address not public: 0.0.0.0 (unspecified)"},
        {"http://[::ffff:127.0.0.1]:" + port + "/page", "address not public: ::ffff:127.0.0.1 (loopback)"},
        {"http://10.255.255.1/page", "address not public: 10.255.255.1 (private)"},
        {"http://169.254.169.254/latest/meta-data/", "address not public: 169.254.169.254 (link-local)"},
    };
    // A proxy is not used: it would connect in the program's place.
    ::setenv("http_proxy", server.url("").c_str(), 1);
    ::setenv("no_proxy", "", 1);
    std::vector<std::string> args = {"--format=jsonl", "--public-only", "--timeout=5"};
    for (const auto& c : cases) args.push_back(c.address);
    const CliRun batch = run(args);
    const CliRun single = run({"--public-only", server.url("/page")});
    ::unsetenv("http_proxy");
    ::setenv("no_proxy", "127.0.0.1", 1);
    EXPECT_EQ(batch.code, kExitFailed);
    const std::vector<std::string> lines = linesOf(batch.out);
    ASSERT_EQ(lines.size(), std::size(cases)) << batch.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(cases[i].address);
        EXPECT_EQ(nlohmann::json::parse(lines[i])["error"], cases[i].error);
    }
    EXPECT_EQ(single.code, kExitUnreadable);
    EXPECT_EQ(single.err, "sumoran-cli: " + server.url("/page") + ": address not public: 127.0.0.1 (loopback)\n");
    EXPECT_EQ(server.requests(), 0);
    // Without the option the same address is fetched.
    EXPECT_EQ(run({"--format=jsonl", server.url("/page")}).code, kExitOk);
    EXPECT_EQ(server.requests(), 1);
}

}  // namespace
