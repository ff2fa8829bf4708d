#include "views/qt/listtablemodel.h"

#include <QAbstractItemModelTester>
#include <QtTest>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/cp1251.h"
#include "views/qt/qtext.h"
#include "views/wordlist.h"

// A source of one editable text per entry and a fixed second column, as the sentence list is.
struct EditableTexts : ListSource {
    std::vector<std::string> texts = {"x"};
    std::string cell(std::size_t entry, unsigned column) const override {
        return entry >= texts.size() ? std::string() : column == 0 ? texts[entry] : "y";
    }
    bool setCell(std::size_t entry, unsigned column, std::string text) override {
        if (entry >= texts.size() || column != 0) return false;
        texts[entry] = std::move(text);
        return true;
    }
};

class ListTableModelTest : public QObject {
    Q_OBJECT

  private slots:
    void showsCellsCaptionsWithTheSortMarkAndAlignment() {
        const WordList stems = {{std::string(u8"дом"_cp), WordDescription{0, 3, 0, 0, 1}}};
        ListModel list = MakeWordListModel(WordListKind::kStems);
        FillWordList(list, stems, "", WordTypeFilter{}, WordTotals{6, 2}, ',', sorting::TextCompare());
        ListTableModel model(list);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.columnCount(), 11);
        QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QString::fromUtf8("дом"));
        QCOMPARE(model.headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("• ВА"));
        QCOMPARE(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("ЧА"));
        auto align = model.data(model.index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>();
        QVERIFY(align & Qt::AlignRight);
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));

        list.rows.clear();
        model.reset();
        QCOMPARE(model.rowCount(), 0);
    }

    void editsTheFirstColumnThroughTheCallback() {
        ListModel list;
        list.columns = {{"a"}, {"b"}};
        list.rows = {0};
        list.source = std::make_shared<EditableTexts>();
        ListTableModel model(list);
        QString edited;
        model.setFirstColumnEditable([&](int row, const QString& text) {
            list.setCell(static_cast<std::size_t>(row), 0, ToCp1251(text));
            edited = text;
        });
        QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
        QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(model.setData(model.index(0, 0), QString::fromUtf8("новый"), Qt::EditRole));
        QCOMPARE(edited, QString::fromUtf8("новый"));
        QCOMPARE(list.cell(0, 0), std::string(u8"новый"_cp));
    }

    void convertsWindows1251BothWays() {
        QCOMPARE(FromCp1251(u8"Ёж «№»"_cp), QString::fromUtf8("Ёж «№»"));
        QCOMPARE(ToCp1251(QString::fromUtf8("Ёж 日")), std::string(u8"Ёж ?"_cp));
    }
};

QTEST_MAIN(ListTableModelTest)
#include "listtablemodel_test.moc"
