#include "app/browser/pagesourceextractor.h"

#include <QtTest>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/browser/browsertests_for_tests.h"
#include "app/browser/fakebrowser.h"
#include "views/qt/qtext.h"

namespace {

using namespace std::string_literals;

// An in-memory browser that hands over a frame's bytes whatever bound it is given.
class GreedyBrowser : public FakeBrowser {
  public:
    void TakeFrame(int index, qint64, Taken done) override { FakeBrowser::TakeFrame(index, qint64{1} << 40, done); }
};

}  // namespace

class PageSourceExtractorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateTempDir> tmp_;

    // Runs an extraction of the page `browser` holds and returns its result once it is done.
    static std::optional<ExtractResult> extract(PageSourceExtractor& extractor) {
        auto result = std::make_shared<std::optional<ExtractResult>>();
        extractor.Extract([result](ExtractResult r) { *result = std::move(r); });
        (void)WaitUntil([&] { return result->has_value(); }, 5000);
        return *result;
    }
    static void show(FakeBrowser& browser, const QByteArray& document) {
        browser.hasDocument = true;
        browser.location = QStringLiteral("file:///tmp/page.html");
        browser.document = document;
    }

  private slots:
    void init() {
        tmp_ = std::make_unique<PrivateTempDir>();
        QVERIFY(tmp_->isValid());
    }
    // The parts come from the browser in memory: nothing is written as a temporary file.
    void cleanup() {
        QVERIFY2(tmp_->entries().isEmpty(), qPrintable(tmp_->entries().join(u' ')));
        tmp_.reset();
    }

    void takesThePageAndItsFramesInMemoryEachCutAtItsNul() {
        FakeBrowser browser;
        show(browser, QByteArray("<p>page</p>\0hidden", 18));
        browser.frames = {QByteArray("<p>one</p>"), std::nullopt, QByteArray("<p>three</p>\0rest", 17)};
        PageSourceExtractor extractor(browser);
        const std::optional<ExtractResult> result = extract(extractor);
        QVERIFY(result);
        QCOMPARE(result->parts, (std::vector{"<p>page</p>"s, "<p>one</p>"s, "<p>three</p>"s}));
        QVERIFY(result->note.isEmpty());
        QCOMPARE(browser.takenDocuments, 1);
        QCOMPARE(browser.takenFrames, (std::vector<int>{0, 1, 2}));
    }

    // The bound across the parts: each frame may have what the document and the frames before it
    // left, to the byte.
    void eachFrameIsBoundByTheBytesTheEarlierPartsLeft_data() {
        QTest::addColumn<int>("lastFrameBytes");
        QTest::addColumn<int>("parts");
        QTest::newRow("fits to the byte") << 20 << 3;
        QTest::newRow("one byte over") << 21 << 2;
    }
    void eachFrameIsBoundByTheBytesTheEarlierPartsLeft() {
        QFETCH(int, lastFrameBytes);
        QFETCH(int, parts);
        FakeBrowser browser;
        show(browser, QByteArray(50, 'd'));
        browser.frames = {QByteArray(30, 'a'), QByteArray(lastFrameBytes, 'b')};
        PageSourceExtractor extractor(browser);
        extractor.setLimits(8, 100);
        const std::optional<ExtractResult> result = extract(extractor);
        QVERIFY(result);
        QCOMPARE(static_cast<int>(result->parts.size()), parts);
        QCOMPARE(result->note.contains(u("проанализирована часть, что поместилась")), parts < 3);
    }

    // A browser that hands over more than it was allowed is still held to the bound.
    void aBrowserThatHandsOverTooMuchIsStillBound() {
        GreedyBrowser browser;
        show(browser, QByteArray(50, 'd'));
        browser.frames = {QByteArray(30, 'a'), QByteArray(500, 'b'), QByteArray(5, 'c')};
        PageSourceExtractor extractor(browser);
        extractor.setLimits(8, 100);
        const std::optional<ExtractResult> result = extract(extractor);
        QVERIFY(result);
        QCOMPARE(result->parts, (std::vector{std::string(50, 'd'), std::string(30, 'a')}));
        QVERIFY2(result->note.contains(u("проанализирована часть, что поместилась")), qPrintable(result->note));
    }
};

QTEST_MAIN(PageSourceExtractorTest)
#include "pagesourceextractor_test.moc"
