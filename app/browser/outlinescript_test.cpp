// Which blocks the outline script is given, and that a selector reaches it as data.
#include "app/browser/outlinescript.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace {

// The blocks the script was given, read back from its argument: the JSON after the function.
QJsonArray ArgumentOf(const QString& script) {
    const qsizetype start = script.lastIndexOf(QStringLiteral("\n})("));
    if (start < 0 || !script.endsWith(QLatin1Char(')'))) return {};
    const QString json = script.mid(start + 4).chopped(1);
    return QJsonDocument::fromJson(json.toUtf8()).array();
}

QList<PageBlock> Blocks(int count, int part, qsizetype length) {
    return QList<PageBlock>(count, PageBlock{part, QString(length, QLatin1Char('p'))});
}

}  // namespace

class OutlineScriptTest : public QObject {
    Q_OBJECT

  private slots:
    void boundsWhatItIsGiven_data() {
        QTest::addColumn<QList<PageBlock>>("blocks");
        QTest::addColumn<int>("kept");
        QTest::newRow("none") << QList<PageBlock>{} << 0;
        QTest::newRow("the document and a frame") << (Blocks(2, 0, 10) + Blocks(3, 1, 10)) << 5;
        QTest::newRow("a negative part") << (Blocks(1, -1, 10) + Blocks(1, 0, 10)) << 1;
        QTest::newRow("the last frame looked at") << Blocks(1, kMaxOutlineFrames, 10) << 1;
        QTest::newRow("a frame past it") << Blocks(1, kMaxOutlineFrames + 1, 10) << 0;
        QTest::newRow("an empty selector") << Blocks(1, 0, 0) << 0;
        QTest::newRow("the longest selector") << Blocks(1, 0, kMaxOutlineSelectorChars) << 1;
        QTest::newRow("a longer one is skipped, not cut")
            << (Blocks(1, 0, kMaxOutlineSelectorChars + 1) + Blocks(1, 0, 5)) << 1;
        QTest::newRow("the most blocks") << Blocks(kMaxOutlineBlocks, 0, 5) << kMaxOutlineBlocks;
        QTest::newRow("more blocks") << Blocks(kMaxOutlineBlocks + 100, 0, 5) << kMaxOutlineBlocks;
        QTest::newRow("the most characters")
            << Blocks(kMaxOutlineChars / kMaxOutlineSelectorChars + 10, 0, kMaxOutlineSelectorChars)
            << kMaxOutlineChars / kMaxOutlineSelectorChars;
    }
    void boundsWhatItIsGiven() {
        QFETCH(QList<PageBlock>, blocks);
        QFETCH(int, kept);
        const QList<PageBlock> bounded = BoundedOutlineBlocks(blocks);
        QCOMPARE(bounded.size(), kept);
        QCOMPARE(ArgumentOf(OutlineScript(blocks)).size(), kept);
        for (const PageBlock& block : bounded) {
            QVERIFY(block.part >= 0 && block.part <= kMaxOutlineFrames);
            QVERIFY(!block.selector.isEmpty() && block.selector.size() <= kMaxOutlineSelectorChars);
        }
    }

    void selectorsReachTheScriptAsData_data() {
        QTest::addColumn<QString>("selector");
        QTest::newRow("a path") << QStringLiteral("html > body > div:nth-of-type(2) > p:nth-of-type(1)");
        QTest::newRow("an id") << QStringLiteral("#main");
        QTest::newRow("a quote that would end a string") << QStringLiteral("\"]); alert(1); (\"");
        QTest::newRow("the end of the function") << QStringLiteral("\n})(0)); alert(1); ((");
        QTest::newRow("a placeholder of the script") << QStringLiteral("%1 %2 %5");
        QTest::newRow("a backslash and a line separator") << QStringLiteral("a\\b\u2028c");
        QTest::newRow("Cyrillic") << QStringLiteral("#статья");
    }
    void selectorsReachTheScriptAsData() {
        QFETCH(QString, selector);
        const QString script = OutlineScript({{0, QStringLiteral("#first")}, {1, selector}});
        const QJsonArray given = ArgumentOf(script);
        QCOMPARE(given.size(), 2);
        QCOMPARE(given[1].toArray()[0].toInt(), 1);
        QCOMPARE(given[1].toArray()[1].toString(), selector);
        QVERIFY(script.startsWith(QStringLiteral("(function (blocks) {")));
        QVERIFY(script.contains(QLatin1String(kOutlineAttribute)));
        QVERIFY(!script.contains(QStringLiteral("%1")) || selector.contains(QStringLiteral("%1")));
    }
};

QTEST_MAIN(OutlineScriptTest)
#include "outlinescript_test.moc"
