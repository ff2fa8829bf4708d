// Saving the lists as CSV or TSV and copying rows: what the view shows, read back the same by
// LibreOffice; Ctrl+C; a file that cannot be written; and every save the window makes (list,
// summary, stop words) on a full disk.
#include "app/listexport.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolButton>
#include <cerrno>
#include <string>
#include <system_error>

#include "app/testwindow_for_tests.h"
#include "base/numformat.h"
#include "settings/qt/editstopwordsdialog.h"

namespace {

// A 1 MB tmpfs mounted over a new folder while it lives, unmounted however the test ends. Mounting
// needs root (and a system that lets root mount); mounted() says whether it worked, whyNot() why not.
class SmallDisk {
  public:
    SmallDisk() {
        if (::geteuid() != 0) {
            whyNot_ = "mounting a tmpfs needs root";
            return;
        }
        if (!folder_.isValid()) {
            whyNot_ = "no temporary folder to mount on";
            return;
        }
        mounted_ = ::mount("tmpfs", nativePath().c_str(), "tmpfs", 0, "size=1m") == 0;
        if (!mounted_) whyNot_ = "cannot mount a tmpfs: " + std::generic_category().message(errno);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    ~SmallDisk() {
        if (mounted_) ::umount2(nativePath().c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const std::string& whyNot() const { return whyNot_; }
    QString path() const { return folder_.path(); }
    QString filePath(const QString& name) const { return folder_.filePath(name); }

    /// Writes the file "filler" until the disk has no room left. Returns false when the writes end
    /// for another reason.
    bool fill() const {
        const int fd = ::open((nativePath() + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        const std::string block(64 * 1024, 'f');
        ssize_t n = 0;
        while ((n = ::write(fd, block.data(), block.size())) > 0) {
        }
        const bool full = n < 0 && errno == ENOSPC;
        ::close(fd);
        return full;
    }

  private:
    std::string nativePath() const { return QFile::encodeName(folder_.path()).toStdString(); }

    QTemporaryDir folder_;  // removed after the unmount, declared before the flag the destructor reads
    bool mounted_ = false;
    std::string whyNot_;
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

const char* const kPage =
    "<html><body><h1>Годовой отчёт</h1><p>Первый год работы, \"трудный\" год работы. Итоги года =1+1 и @home, "
    "+7 год работы.</p><p>Итоги года удивили.</p></body></html>";

}  // namespace

class ListExportTest : public QObject, TestWindow {
    Q_OBJECT

    ListExporter* exporter(const char* name) {
        return child<ListExporter>(qPrintable(QString::fromLatin1(name) + u("Exporter")));
    }
    // The cells the view shows: the header, then every row, of its shown columns.
    QList<QStringList> shownCells(const char* list, const std::vector<unsigned>& columns) {
        QAbstractItemModel* m = view(list)->model();
        QList<QStringList> cells;
        QStringList header;
        for (unsigned k : columns)
            header << m->headerData(static_cast<int>(k), Qt::Horizontal).toString().remove(u("• "));
        cells << header;
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList row;
            for (unsigned k : columns) row << m->data(m->index(r, static_cast<int>(k))).toString();
            cells << row;
        }
        return cells;
    }
    // Whether a saved cell is the shown one, or the full value of a share the view cuts to six
    // characters.
    static bool savedAsShown(const QString& saved, const QString& shown) {
        bool number = false;
        const double value = saved.toDouble(&number);
        return saved == shown || (number && QString::fromStdString(numformat::GeneralCut6(value, '.')) == shown);
    }
    static void compareSaved(const QList<QStringList>& saved, const QList<QStringList>& shown) {
        QCOMPARE(saved.size(), shown.size());
        for (qsizetype r = 0; r < saved.size(); ++r) {
            QCOMPARE(saved[r].size(), shown[r].size());
            for (qsizetype k = 0; k < saved[r].size(); ++k)
                QVERIFY2(savedAsShown(saved[r][k], shown[r][k]), qPrintable(saved[r][k] + u(" / ") + shown[r][k]));
        }
    }
    static QList<QStringList> splitTsv(const QString& text) {
        QList<QStringList> rows;
        for (const QString& line : text.split(QChar('\n'), Qt::SkipEmptyParts)) rows << line.split(QChar('\t'));
        return rows;
    }

  private slots:
    void init() {
        openWindow(kPage);
        for (const char* button : {"ToolButton1", "ToolButton2", "ToolButton3"})
            child<QToolButton>(button)->click();  // every type shown
        select("lvWordBase", {0});
    }
    void cleanup() { closeWindow(); }

    void everyListSavesWhatItsViewShowsAsTsv() {
        view("lvWordBase")->setColumnHidden(3, true);
        view("lvWordFull")->setColumnWidth(1, 0);
        for (const char* list : {"lvWordBase", "lvWordFull", "lvWordExpr", "lvDocumentText", "lvConcordance"}) {
            const QString name = QString::fromLatin1(list).replace(u("lv"), u("tb")) + u("Save");
            ListExporter* e = exporter(qPrintable(name));
            const QString path = settingsDir_->filePath(name + u(".tsv"));
            QCOMPARE(e->save(path), QString());
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QList<QStringList> cells = shownCells(list, e->shownColumns());
            compareSaved(splitTsv(QString::fromUtf8(file.readAll())), cells);
            if (QTest::currentTestFailed()) return;
            QVERIFY(cells.size() > 1);
        }
        QVERIFY(!exporter("tbWordBaseSave")->shownColumns().empty());
        QCOMPARE(std::ranges::count(exporter("tbWordBaseSave")->shownColumns(), 3u), 0);
        QCOMPARE(std::ranges::count(exporter("tbWordFullSave")->shownColumns(), 1u), 0);
    }

    void libreOfficeReadsTheCsvBackWithTheSameCells() {
        if (QStandardPaths::findExecutable(u("soffice")).isEmpty()) QSKIP("soffice is not installed");
        const QString csv = settingsDir_->filePath(u("words.csv"));
        ListExporter* e = exporter("tbWordFullSave");
        e->setFileNameAsker([csv] { return ListFileChoice{csv, {}}; });
        e->saveAction()->trigger();
        const QString out = settingsDir_->filePath(u("out"));
        QProcess office;
        office.start(u("soffice"), {u("-env:UserInstallation=file://") + settingsDir_->filePath(u("profile")),
                                    u("--headless"), u("--infilter=CSV:44,34,76,1"), u("--convert-to"),
                                    u("csv:Text - txt - csv (StarCalc):9,0,76,1"), u("--outdir"), out, csv});
        QVERIFY(office.waitForFinished(120000));
        QFile file(out + u("/words.csv"));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(QString::fromUtf8(office.readAllStandardError())));
        QList<QStringList> expected = shownCells("lvWordFull", e->shownColumns());
        bool sawFormula = false;
        for (QStringList& row : expected) {
            for (QString& cell : row) {
                // A cell a spreadsheet would run stays text behind its apostrophe.
                if (!cell.isEmpty() && u("=+-@").contains(cell[0])) {
                    cell.prepend(QChar('\''));
                    sawFormula = true;
                }
            }
        }
        QVERIFY(sawFormula);
        const QList<QStringList> read = splitTsv(QString::fromUtf8(file.readAll()).remove(QChar('\r')));
        QCOMPARE(read.size(), expected.size());
        for (qsizetype r = 0; r < read.size(); ++r) {
            QCOMPARE(read[r].size(), expected[r].size());
            for (qsizetype k = 0; k < read[r].size(); ++k) {
                // A number may come back in the spreadsheet's own notation ("12.00" as "12").
                bool a = false, b = false;
                const double x = read[r][k].toDouble(&a), y = expected[r][k].toDouble(&b);
                if (a && b) {
                    QVERIFY2(x == y || savedAsShown(read[r][k], expected[r][k]), qPrintable(read[r][k]));
                } else {
                    QCOMPARE(read[r][k], expected[r][k]);
                }
            }
        }
    }

    void ctrlCCopiesTheSelectedRowsAsTsv() {
        QTableView* v = view("lvWordExpr");
        v->setFocus();
        select("lvWordExpr", {0, 1});
        QApplication::clipboard()->clear();
        exporter("tbWordExprSave")->copyAction()->trigger();
        const QList<QStringList> cells = shownCells("lvWordExpr", exporter("tbWordExprSave")->shownColumns());
        QCOMPARE(splitTsv(QApplication::clipboard()->text()), cells.mid(1, 2));
        QCOMPARE(exporter("tbWordExprSave")->copyAction()->shortcut(), QKeySequence(QKeySequence::Copy));
    }

    // Each save the window makes, over an existing file on a full disk: the message names what was
    // saved, the file and the reason, the old file keeps its bytes, and no temporary file is left.
    void aFullDiskKeepsTheOldFileAndNamesTheReason_data() {
        QTest::addColumn<QString>("saver");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("what");
        QTest::newRow("list as CSV") << u("list") << u("words.csv") << u("список");
        QTest::newRow("summary as RTF") << u("summary") << u("summary.rtf") << u("автореферат");
        QTest::newRow("stop words") << u("stop words") << u("stopwords.txt") << u("стоп-слова");
    }

    void aFullDiskKeepsTheOldFileAndNamesTheReason() {
        QFETCH(QString, saver);
        QFETCH(QString, name);
        QFETCH(QString, what);
        SmallDisk disk;
        if (!disk.mounted()) QSKIP(disk.whyNot().c_str());
        const QString path = disk.filePath(name);
        const QByteArray old = "old content\r\n";
        QVERIFY(WriteTestFile(path, old));
        QVERIFY(disk.fill());

        QStringList errors;
        const auto report = [&errors](const QString& message) { errors << message; };
        if (saver == u("list")) {
            ListExporter* e = exporter("tbWordFullSave");
            e->setFileNameAsker([path] { return ListFileChoice{path, {}}; });
            e->setErrorReporter(report);
            e->saveAction()->trigger();
        } else if (saver == u("summary")) {
            form_->setSaveFileNameAsker([path] { return path; });
            form_->setErrorReporter(report);
            action("tbSaveReferat")->trigger();
        } else {
            TFormEditStopWords editor({ToCp1251(u("и")), "the"}, QFile::encodeName(path).toStdString());
            editor.showError = report;
            editor.findChild<QPushButton*>(u("ButtonOk"))->click();
        }
        const QString reason = QString::fromStdString(std::generic_category().message(ENOSPC));
        QCOMPARE(errors, QStringList{u("Не удалось сохранить ") + what + u(" в файл ") + path + u(": ") + reason});
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), (QStringList{u("filler"), name}));
    }

    // A name typed without an extension takes that of the chosen filter, and the file is written in
    // the format its final name says; a name with an extension is kept.
    void aNameWithoutExtensionTakesTheChosenFilters_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        const QString csv = u("CSV (*.csv)"), tsv = u("TSV (*.tsv)");
        QTest::newRow("CSV") << u("list") << csv << u("list.csv");
        QTest::newRow("TSV") << u("list") << tsv << u("list.tsv");
        QTest::newRow("any file") << u("list") << u("Все файлы (*)") << u("list");
        QTest::newRow("own extension") << u("list.txt") << csv << u("list.txt");
        QTest::newRow("other case") << u("list.CSV") << tsv << u("list.CSV");
        QTest::newRow("dotted folder") << u("d.v2/list") << tsv << u("d.v2/list.tsv");
    }

    void aNameWithoutExtensionTakesTheChosenFilters() {
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u("d.v2")));
        ListExporter* e = exporter("tbDocumentTextSave");
        e->setFileNameAsker([&] { return ListFileChoice{dir.filePath(typed), filter}; });
        e->setErrorReporter([](const QString& message) { QFAIL(qPrintable(message)); });
        e->saveAction()->trigger();
        QCOMPARE(QDir(dir.filePath(QFileInfo(written).path())).entryList(QDir::Files),
                 QStringList{QFileInfo(written).fileName()});
        const QByteArray header = fileBytes(dir.filePath(written)).split('\n').constFirst();
        QCOMPARE(header.contains('\t'), written.endsWith(u(".tsv")));
    }

    void aFileThatCannotBeWrittenIsReportedAndNothingIsLeft() {
        QString reported;
        ListExporter* e = exporter("tbDocumentTextSave");
        const QString path = settingsDir_->filePath(u("missing/list.csv"));
        e->setFileNameAsker([path] { return ListFileChoice{path, {}}; });
        e->setErrorReporter([&reported](const QString& message) { reported = message; });
        e->saveAction()->trigger();
        QCOMPARE(reported, u("Не удалось сохранить список в файл ") + path + u(": ") +
                               QString::fromStdString(std::generic_category().message(ENOENT)));
        QVERIFY(!QFile::exists(path));
        e->setFileNameAsker([] { return ListFileChoice{}; });
        reported.clear();
        e->saveAction()->trigger();
        QVERIFY(reported.isEmpty());
    }
};

QTEST_MAIN(ListExportTest)
#include "listexport_test.moc"
