// The batch: many inputs, their order and errors, web addresses, aggregate and the progress bar.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "cli/clirun_for_tests.h"
#include "cli/loopbackhttp_for_tests.h"
#include "cli/options.h"
#include "page/inputs.h"

namespace {

using namespace clitest;
using nlohmann::json;

// A Windows-1251 page whose text is `words` (UTF-8) in a paragraph under the heading `title`.
std::string page(std::string_view title, std::string_view words) {
    return "<html><head><title>T</title></head><body><h1>" + cp1251::fromUtf8Lossy(title) + "</h1><p>" +
           cp1251::fromUtf8Lossy(words) + "</p></body></html>";
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) all.push_back(line);
    return all;
}

// A directory of pages in subdirectories, with files a search must pass over.
fs::path fixtureDirectory() {
    static const fs::path dir = [] {
        const fs::path d = privateDir() / "site";
        writeTemp("site/b.html", page("Второй дом", "Дом стоит у реки. Река течёт мимо дома."));
        writeTemp("site/a.htm", page("Первый дом", "Кот живёт в доме. Дом большой и тёплый."));
        writeTemp("site/sub/c.XHTML", page("Третий", "Кот и пёс. Пёс спит у реки."));
        writeTemp("site/sub/deeper/d.html", page("Четвёртый", "Река, дом и кот."));
        writeTemp("site/notes.txt", "not a page");
        writeTemp("site/empty.html", "");
        return d;
    }();
    return dir;
}

TEST(CliBatch, OutputIsTheSameForAnyNumberOfWorkersInTheOrderOfThePaths) {
    const std::string dir = fixtureDirectory().string();
    const CliRun one = run({"--format=jsonl", "-j", "1", dir});
    const CliRun four = run({"--format=jsonl", "--jobs=4", dir});
    EXPECT_EQ(one.code, kExitOk) << one.err;
    EXPECT_EQ(one.err, "");
    EXPECT_EQ(one.out, four.out);
    std::vector<std::string> inputs;
    for (const std::string& line : lines(one.out)) {
        const json object = json::parse(line);  // throws on a line that is not JSON
        EXPECT_TRUE(line.starts_with("{\"input\": \""));
        inputs.push_back(object["input"]);
    }
    EXPECT_EQ(inputs, (std::vector<std::string>{dir + "/a.htm", dir + "/b.html", dir + "/empty.html",
                                                dir + "/sub/c.XHTML", dir + "/sub/deeper/d.html"}));
    // Each line is the page's --format=json object, "input" added first.
    CliRun single = run({"--format=json", dir + "/b.html"});
    single.out.erase(std::remove(single.out.begin(), single.out.end(), '\n'), single.out.end());
    EXPECT_EQ(json::parse(lines(one.out)[1]).dump(),
              json::parse("{\"input\": \"" + dir + "/b.html\"," + single.out.substr(1)).dump());
    for (const std::string format : {"--format=tsv", "--format=csv"}) {
        for (const std::string show : {"--show=stems", "--show=summary"}) {
            SCOPED_TRACE(format + " " + show);
            EXPECT_EQ(run({format, show, "-j1", dir}).out, run({format, show, "-j4", dir}).out);
        }
    }
}

TEST(CliBatch, FiguresAndPaneRowsOfEachPage) {
    const std::string dir = fixtureDirectory().string();
    const CliRun tsv = run({"--format=tsv", dir + "/a.htm", dir + "/nothing.html"});
    EXPECT_EQ(tsv.code, kExitSomeFailed);
    const std::vector<std::string> rows = lines(tsv.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
              "input\tcharset\tsentences\twords\tstems\tcombinations\tsummary\tseconds\terror"
              "\tchars_with_spaces\tchars_without_spaces\tunique_stems\tsignificant_words\tstop_words\twater_percent"
              "\tnausea_classic\tnausea_academic_percent\ttop_stems_share_percent\ttitle_length\tdescription_length"
              "\th1_count");
    // "Первый дом" and two sentences: 10 words, the stems of кот, жив, дом, больш, тепл, перв.
    EXPECT_TRUE(rows[1].starts_with(dir + "/a.htm\tWindows-1251\t3\t10\t")) << rows[1];
    EXPECT_EQ(rows[2], dir + "/nothing.html\t\t\t\t\t\t\t\tnot found" + std::string(12, '\t'));
    // The text figures follow the error.
    const std::vector<std::string> cells = [&] {
        std::vector<std::string> out;
        std::istringstream row(rows[1]);
        for (std::string cell; std::getline(row, cell, '\t');) out.push_back(cell);
        return out;
    }();
    ASSERT_EQ(cells.size(), 21u) << rows[1];
    EXPECT_EQ(cells[8], "");
    const CliRun csv = run({"--format=csv", "--show=words", dir + "/a.htm", dir + "/b.html"});
    EXPECT_TRUE(csv.out.starts_with("\xEF\xBB\xBFinput,Слово,Стоп-слово,ЧА,")) << csv.out;
    EXPECT_NE(csv.out.find("\r\n" + dir + "/b.html,"), std::string::npos) << csv.out;
    // A single page as CSV: the pane, without the input.
    const CliRun one = run({"--format=csv", "--show=summary", dir + "/a.htm"});
    EXPECT_TRUE(one.out.starts_with("\xEF\xBB\xBFtext,bold\r\nПервый дом,1\r\n")) << one.out;
}

TEST(CliBatch, EachKindOfFailureIsItsLineAndTheBatchGoesOn) {
    const fs::path dir = privateDir() / "failures";
    fs::create_directories(dir / "no pages");
    writeTemp("failures/no pages/readme.txt", "x");
    writeTemp("failures/image.html", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    writeTemp("failures/big.html", std::string(2000, 'a'));
    writeTemp("failures/ok.html", page("Дом", "Дом."));
    // A socket is a name that opens for nobody, even for root.
    const fs::path socketPath = dir / "socket.html";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.string().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const struct {
        std::string input;
        std::string error;
    } cases[] = {
        {(dir / "missing.html").string(), "not found"},
        {socketPath.string(), "not readable: No such device or address"},
        {(dir / "no pages").string(), "a directory without pages"},
        {(dir / "big.html").string(), "too large: more than 1000 bytes"},
        {(dir / "image.html").string(), "not HTML-like bytes: a NUL byte among the first 1024"},
    };
    std::vector<std::string> all = {"--format=jsonl", "--max-bytes=1000"};
    std::string expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const std::string line = "{\"input\": \"" + c.input + "\", \"error\": \"" + c.error + "\"}\n";
        const CliRun alone = run({"--format=jsonl", "--max-bytes=1000", c.input});
        EXPECT_EQ(alone.out, line);
        EXPECT_EQ(alone.code, kExitFailed);
        EXPECT_EQ(alone.err, "");
        all.push_back(c.input);
        expected += line;
    }
    ::close(sock);
    // One page given alone is refused for the same reasons, in the same words.
    for (const auto& c : std::span(cases).last(2)) {
        const CliRun single = run({"--max-bytes=1000", c.input});
        EXPECT_EQ(single.code, kExitUnreadable);
        EXPECT_EQ(single.out, "");
        EXPECT_EQ(single.err, "sumoran-cli: " + c.input + ": " + c.error + "\n");
    }
    all.push_back((dir / "ok.html").string());
    const CliRun some = run(all);
    EXPECT_EQ(some.code, kExitSomeFailed);
    EXPECT_TRUE(some.out.starts_with(expected)) << some.out;
    EXPECT_EQ(lines(some.out).size(), std::size(cases) + 1);
    EXPECT_EQ(run({"--format=jsonl", (dir / "ok.html").string(), (dir / "ok.html").string()}).code, kExitOk);
    // Standard input is an input like the others.
    const CliRun piped = run({"--format=jsonl"}, page("Дом", "Дом."));
    EXPECT_TRUE(piped.out.starts_with("{\"input\": \"-\", \"charset\": ")) << piped.out;
    EXPECT_EQ(run({"--format=jsonl", "--max-bytes=10", "-"}, page("Дом", "Дом.")).out,
              "{\"input\": \"-\", \"error\": \"too large: more than 10 bytes\"}\n");
}

TEST(CliBatch, BadUsage) {
    const std::string dir = fixtureDirectory().string();
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-j", "0", dir},
                                               {"-j"},
                                               {"--jobs=x", dir},
                                               {"--jobs=100000", dir},
                                               {"--timeout=0", dir},
                                               {"--timeout=-1"},
                                               {"--max-bytes=0"},
                                               {"--max-bytes=1e3"},
                                               {"--format=json", dir},
                                               {"a.html", "b.html"},
                                               {"--format=tsv", "--show=all", dir},
                                               {"--format=csv", "--show=all", "a.html"},
                                               {"-", "--from-list=-"},
                                               {"--format=jsonl", "-", "-"}}) {
        SCOPED_TRACE(args.front());
        const CliRun r = run(args);
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << r.err;
    }
}

TEST(CliBatch, AddressesAreFetchedWithinTheirBounds) {
    using Response = LoopbackHttpServer::Response;
    const std::string html = page("Дом", "Дом у реки.");
    std::map<std::string, Response> routes = {
        {"/page", {200, "Content-Type: text/html\r\n", html, true, {}}},
        {"/r1", {302, "Location: /page\r\n", "", true, {}}},
        {"/r2", {301, "Location: /r1\r\n", "", true, {}}},
        {"/loop", {302, "Location: /loop\r\n", "", true, {}}},
        {"/tofile", {302, "Location: file:///etc/passwd\r\n", "", true, {}}},
        {"/slow", {200, "", html, true, std::chrono::milliseconds(3000)}},
        {"/big", {200, "", std::string(5000, 'a'), false, {}}},
        {"/biglength", {200, "", std::string(5000, 'a'), true, {}}},
        {"/gone", {500, "", "oops", true, {}}},
    };
    ::setenv("no_proxy", "127.0.0.1", 1);
    LoopbackHttpServer server(routes);
    ASSERT_NE(server.port(), 0);
    const std::string ftp = "ftp://127.0.0.1:" + std::to_string(server.port()) + "/page";
    const struct {
        std::string path;
        std::string error;  // "" for a page
    } cases[] = {
        {"/page", ""},
        {"/r2", ""},
        {"/loop", "more than 10 redirects"},
        {"/missing", "HTTP status 404"},
        {"/gone", "HTTP status 500"},
        {"/slow", "timeout: no whole page within 0.5 s"},
        {"/big", "too large: more than 4000 bytes"},
        {"/biglength", "too large: more than 4000 bytes"},
        {"/tofile", "a redirect to an address that is not http or https"},
    };
    std::vector<std::string> args = {"--format=jsonl", "--timeout=0.5", "--max-bytes=4000", "-j4"};
    for (const auto& c : cases) args.push_back(server.url(c.path));
    const CliRun r = run(args);
    EXPECT_EQ(r.code, kExitSomeFailed);
    const std::vector<std::string> got = lines(r.out);
    ASSERT_EQ(got.size(), std::size(cases)) << r.out;
    const std::string fetchedFile = writeTemp("fetched.html", html).string();
    const CliRun local = run({"--format=jsonl", fetchedFile});
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(cases[i].path);
        const json line = json::parse(got[i]);
        EXPECT_EQ(line["input"], server.url(cases[i].path));
        if (cases[i].error.empty()) {
            // The same lists as the page read from a file.
            EXPECT_EQ(line["stems"], json::parse(local.out)["stems"]);
        } else {
            EXPECT_EQ(line["error"], cases[i].error);
        }
    }
    // A single address prints its page as a file's is printed; a failure is a message.
    EXPECT_EQ(run({"--format=json", server.url("/page")}).out, run({"--format=json", fetchedFile}).out);
    const CliRun missing = run({server.url("/missing")});
    EXPECT_EQ(missing.code, kExitUnreadable);
    EXPECT_EQ(missing.err, "sumoran-cli: " + server.url("/missing") + ": HTTP status 404\n");
    // Another scheme is not an address: it is a file name that does not exist.
    EXPECT_EQ(run({"--format=jsonl", ftp}).out, "{\"input\": \"" + ftp + "\", \"error\": \"not found\"}\n");
}

TEST(CliBatch, HostileListsDirectoriesAndSizes) {
    const fs::path dir = privateDir() / "hostile";
    const std::string ok = writeTemp("hostile/ok.html", page("Дом", "Дом.")).string();
    // A loop of directory links: every page is found once, and the search ends.
    fs::create_directories(dir / "loop" / "inner");
    writeTemp("hostile/loop/inner/p.html", page("Кот", "Кот."));
    fs::create_directory_symlink("..", dir / "loop" / "inner" / "up");
    fs::create_directory_symlink(dir / "loop", dir / "loop" / "self");
    const CliRun loop = run({"--format=tsv", (dir / "loop").string()});
    EXPECT_EQ(loop.code, kExitOk);
    EXPECT_EQ(lines(loop.out).size(), 2u) << loop.out;
    // A list with a byte order mark, CR LF, blank and comment lines, spaces kept, a NUL, a long name.
    const std::string longName(5000, 'x');
    const std::string list = "\xEF\xBB\xBF" + ok + "\r\n\r\n   \n# a note\n " + ok + "\n" + std::string("a\0b", 3) +
                             "\n" + longName + "\n" + ok;
    const fs::path listFile = writeTemp("hostile/list.txt", list);
    const CliRun listed = run({"--format=jsonl", "--from-list=" + listFile.string()});
    EXPECT_EQ(listed.code, kExitSomeFailed);
    std::vector<std::string> reasons;
    for (const std::string& line : lines(listed.out)) {
        const json object = json::parse(line);
        reasons.push_back(object.contains("error") ? std::string(object["error"]) : "page");
    }
    EXPECT_EQ(reasons,
              (std::vector<std::string>{"page", "not found", "not found: a NUL byte cannot be part of a file name",
                                        "not readable: File name too long", "page"}));
    EXPECT_EQ(run({"--format=jsonl", "--from-list=" + (dir / "none.txt").string()}).code, kExitFailed);
    EXPECT_EQ(run({"--format=jsonl", "--from-list=-"}, ok + "\n").code, kExitOk);
    // A file larger than the window takes is refused without being read.
    const fs::path huge = dir / "huge.html";
    std::ofstream(huge).close();
    fs::resize_file(huge, kMaxPageBytes + 1);
    EXPECT_EQ(run({"--format=jsonl", huge.string()}).out,
              "{\"input\": \"" + huge.string() + "\", \"error\": \"too large: more than 268435456 bytes\"}\n");
    fs::remove(huge);
    // A name that is not UTF-8 still makes valid JSON.
    const std::string badName = (dir / "\xFF.html").string();
    const CliRun bad = run({"--format=jsonl", badName});
    EXPECT_EQ(json::parse(bad.out)["input"], (dir / "\uFFFD.html").string());
}

TEST(CliAggregate, TheHalvesGiveWhatTheWholeGives) {
    const CliRun whole = run({"--format=jsonl", "--decimal=,", fixtureDirectory().string(), "/nonexistent.html"});
    const std::vector<std::string> all = lines(whole.out);
    std::string first, second;
    for (std::size_t i = 0; i < all.size(); ++i) (i < all.size() / 2 ? first : second) += all[i] + "\n";
    const std::string wholeFile = writeTemp("agg/whole.jsonl", whole.out).string();
    const std::string firstFile = writeTemp("agg/first.jsonl", first).string();
    const std::string secondFile = writeTemp("agg/second.jsonl", second).string();
    for (const std::vector<std::string>& options : std::vector<std::vector<std::string>>{
             {"--format=json"}, {"--format=csv"}, {"--format=text", "--show=combinations", "--decimal=."}}) {
        SCOPED_TRACE(options.front());
        auto with = [&options](std::vector<std::string> files) {
            files.insert(files.begin(), options.begin(), options.end());
            return aggregate(files);
        };
        const CliRun a = with({wholeFile});
        EXPECT_EQ(a.code, kExitOk) << a.err;
        EXPECT_EQ(a.out, with({firstFile, secondFile}).out);
        EXPECT_EQ(a.out, with({secondFile, firstFile}).out);
    }
    // Worked by hand: "дом" three times on a.htm and on b.html and once on d.html; the weights are
    // the pages' own.
    const json corpus = json::parse(aggregate({"--format=json", wholeFile}).out);
    EXPECT_EQ(corpus["pages"], 5);
    long long domCount = 0;
    double domWeight = 0;
    for (const std::string& line : all) {
        const json page = json::parse(line);
        if (page.contains("error")) continue;
        for (const json& row : page["stems"]["rows"]) {
            if (row[0] != "дом") continue;
            domCount += std::stoll(std::string(row[2]));
            std::string weight = row[4];
            std::replace(weight.begin(), weight.end(), ',', '.');
            domWeight += std::stod(weight);
        }
    }
    bool found = false;
    for (const json& row : corpus["stems"]) {
        if (row["text"] != "дом") continue;
        found = true;
        EXPECT_EQ(row["count"], domCount);
        EXPECT_EQ(domCount, 7);
        EXPECT_NEAR(double(row["weight"]), domWeight, 0.001);
        EXPECT_EQ(row["pages"], 3);
        EXPECT_EQ(row["share"], 0.6);
    }
    EXPECT_TRUE(found);
}

TEST(CliAggregate, RefusesWhatIsNotAPageResult) {
    auto result = [](std::string stemRow) {
        return "{\"stems\": {\"columns\": [\"Словооснова\", \"ЧА\", \"ВА\"], \"rows\": [" + stemRow +
               "]}, \"combinations\": {\"columns\": [\"Словоосновы\", \"ЧА\", \"ВП\"], \"rows\": []}}";
    };
    const std::string good = result("[\"дом\", \"2\", \"3,50\"]");
    const CliRun merged = aggregate({"--format=tsv", "--decimal=,", "-"},
                                    good + "\n" + good + "\n{\"input\": \"x\", \"error\": \"not found\"}\n");
    EXPECT_EQ(merged.out, "Словооснова\tЧА\tВА\tСтраниц\tДоля страниц, %\nдом\t4\t7,00\t2\t100,00\n");
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    for (const std::string& bad : {std::string("not json"), std::string("[1, 2]"), deep, std::string("{\"stems\": 1}"),
                                   std::string("{\"input\": \"x\"}"), result("[\"дом\", \"1e9999\", \"3,50\"]"),
                                   result("[\"дом\", \"-1\", \"3,50\"]"), result("[\"дом\", \"2\", \"3,501\"]"),
                                   result("[\"дом\", \"2\", \"99999999999999999,00\"]"), result("[\"дом\", \"2\"]"),
                                   result("[\"дом\", 2, \"3,50\"]")}) {
        SCOPED_TRACE(bad.substr(0, 60));
        const CliRun r = aggregate({"-"}, good + "\n" + bad + "\n");
        EXPECT_EQ(r.code, kExitUnreadable);
        EXPECT_EQ(r.err, "sumoran-cli: -, line 2: not a page's result of --format=jsonl\n");
    }
    EXPECT_EQ(aggregate({"/nonexistent.jsonl"}).code, kExitUnreadable);
    EXPECT_EQ(aggregate({}).code, kExitUsage);
    EXPECT_EQ(aggregate({"--show=words", "-"}).code, kExitUsage);
}

// Runs the program with standard error on a new terminal (or on a pipe) and returns what it wrote there.
std::string standardErrorOf(const std::vector<std::string>& args, bool terminal) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "pipe failed";
    // Everything the child needs is made before the fork: it may only call async-signal-safe functions.
    std::vector<char*> argv = {const_cast<char*>(SUMORAN_CLI_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    int master = -1;
    winsize size{};
    size.ws_col = 200;  // room for a whole temporary path in the bar
    const pid_t pid = terminal ? ::forkpty(&master, nullptr, nullptr, &size) : ::fork();
    if (pid == 0) {
        ::dup2(devNull, STDOUT_FILENO);
        if (!terminal) ::dup2(pipeFds[1], STDERR_FILENO);
        ::execv(SUMORAN_CLI_PATH, argv.data());
        ::_exit(127);
    }
    ::close(devNull);
    ::close(pipeFds[1]);
    const int from = terminal ? master : pipeFds[0];
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(from, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::waitpid(pid, nullptr, 0);
    ::close(pipeFds[0]);
    if (master >= 0) ::close(master);
    return text;
}

TEST(CliBatch, ProgressBarOnlyOnATerminal) {
    std::vector<std::string> args = settingsArgs();
    args.insert(args.end(), {"--format=jsonl", fixtureDirectory().string()});
    const std::string shown = standardErrorOf(args, true);
    EXPECT_NE(shown.find("] 5/5  "), std::string::npos) << shown;
    EXPECT_NE(shown.find("/site/a.htm"), std::string::npos) << shown;
    // The bar is cleared at the end. (Not "ends with": under ASan, glibc 2.36 may abort the child at
    // a worker's exit with a malloc assertion of its own, seen only on a terminal; see the report.)
    EXPECT_NE(shown.find("\r\x1b[K", shown.find("] 5/5  ")), std::string::npos) << shown;
    EXPECT_EQ(standardErrorOf(args, false), "");
    args.push_back("--quiet");
    EXPECT_EQ(standardErrorOf(args, true), "");
}

TEST(CliBatch, ProgressShowsControlCharactersOfNamesAsEscapes) {
    writeTemp("progress/\x1b]0;TITLE\x07.html", page("Дом", "Дом."));
    std::vector<std::string> args = settingsArgs();
    args.insert(args.end(), {"--format=jsonl", (privateDir() / "progress").string()});
    const std::string shown = standardErrorOf(args, true);
    EXPECT_NE(shown.find("/progress/\\x1b]0;TITLE\\x07.html"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("\x1b]"), std::string::npos) << shown;
    EXPECT_EQ(shown.find('\x07'), std::string::npos) << shown;
}

}  // namespace
