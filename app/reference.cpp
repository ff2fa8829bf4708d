#include "app/reference.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <sstream>

#include "dictstem/dictionarystems.h"
#include "reference/reference.h"
#include "resources/icons.h"
#include "views/qt/qtext.h"

namespace {

// Asks for the reference: a line for a file, a folder or an address, with buttons that choose a
// file or a folder. Empty when cancelled.
QString askReference(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgReference"));
    dialog.setWindowTitle(u("Сравнить с..."));
    auto* hint =
        new QLabel(u("Эталон: страница (файл или адрес), папка со страницами или файл .jsonl пакетного "
                     "анализа. Страницы эталона анализируются с настройками текущей страницы."));
    hint->setWordWrap(true);
    auto* line = new QLineEdit;
    line->setObjectName(QStringLiteral("edReference"));
    line->setMinimumWidth(420);
    auto* file = new QPushButton(u("Файл..."));
    auto* folder = new QPushButton(u("Папка..."));
    QObject::connect(file, &QPushButton::clicked, &dialog, [&] {
        const QString name = QFileDialog::getOpenFileName(
            &dialog, u("Эталон"), line->text(),
            u("Страницы и результаты пакетов (*.html *.htm *.xhtml *.jsonl);;Все файлы (*)"));
        if (!name.isEmpty()) line->setText(name);
    });
    QObject::connect(folder, &QPushButton::clicked, &dialog, [&] {
        const QString name = QFileDialog::getExistingDirectory(&dialog, u("Папка эталона"), line->text());
        if (!name.isEmpty()) line->setText(name);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(line, 1);
    row->addWidget(file);
    row->addWidget(folder);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(hint);
    layout->addLayout(row);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted ? line->text().trimmed() : QString();
}

// The name the status bar shows: a file's or folder's last part, an address as it is.
QString shortName(const QString& name) {
    if (name.contains(QStringLiteral("://"))) return name;
    const QFileInfo info(name);
    return info.fileName().isEmpty() ? name : info.fileName();
}

}  // namespace

ReferenceComparison::ReferenceComparison(Document& doc, std::function<ContentMode()> content, QWidget* parent)
    : QObject(parent), doc_(doc), content_(std::move(content)), parent_(parent) {
    ask_ = [this] { return askReference(parent_); };
    label_ = new QLabel;
    label_->setObjectName(QStringLiteral("sbReference"));
    label_->setContentsMargins(0, 0, 12, 0);
    label_->hide();
}

ReferenceComparison::~ReferenceComparison() {
    if (cancel_) cancel_->store(true);  // the readings before the latest were stopped when it began
    for (QThread* thread : threads_) {
        thread->wait();  // a fetch stops within a second, a reading between two pages
        delete thread;
    }
}

void ReferenceComparison::addCommands(QMenu* file) {
    QAction* compare = new QAction(u("&Сравнить с..."), file);
    compare->setObjectName(QStringLiteral("miCompareWith"));
    connect(compare, &QAction::triggered, this, [this] {
        const QString name = ask_();
        if (!name.isEmpty()) load(name);
    });
    clear_ = new QAction(u("&Убрать эталон"), file);
    clear_->setObjectName(QStringLiteral("miClearReference"));
    clear_->setEnabled(false);
    connect(clear_, &QAction::triggered, this, &ReferenceComparison::clear);
    const QList<QAction*> actions = file->actions();
    QAction* before = actions.size() > 1 ? actions.at(1) : nullptr;  // after "Открыть документ..."
    file->insertAction(before, compare);
    file->insertAction(before, clear_);
}

void ReferenceComparison::load(const QString& name) {
    // A reading under way is stopped and left to end on its own, so that the window never waits
    // for it; what it read is not taken.
    if (thread_) cancel_->store(true);
    PageAnalysis analysis;
    const AnalysisState& a = doc_.analysis();
    analysis.koef = a.koef;
    analysis.stopWords = a.stopWords;
    analysis.index = a.options;
    // The window's dictionary answers the window's analyses and is not thread-safe: the reading
    // loads one of its own.
    const bool dictionary = analysis.index.stemSource != nullptr;
    analysis.index.stemSource = nullptr;
    analysis.content = content_();
    analysis.decimalSeparator = doc_.decimalSeparator;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    analysis.limits.cancel = cancel_.get();
    reading_ = std::make_shared<Reading>();
    loadingName_ = name;
    // `cancel` keeps the flag that analysis.limits points at.
    thread_ = QThread::create([analysis = std::move(analysis), reading = reading_, cancel = cancel_, dictionary,
                               input = name.toStdString()]() mutable {
        dictstem::DictionaryLoad stems;
        if (dictionary) {
            stems = dictstem::LoadDictionaryStems(dictstem::DefaultDictionaryDirectory());
            if (!stems.stems) {
                reading->error = stems.error;
                return;
            }
            analysis.index.stemSource = stems.stems.get();
        }
        std::istringstream none;  // "-" names no standard input here
        reading->error = AddInput(input, none, analysis, reading->corpus);
        // Pages without a word (standard input, empty pages) give nothing to compare with.
        if (!reading->error && WordsOf(reading->corpus) == 0) reading->error = input + ": no words to compare with";
    });
    threads_.push_back(thread_);
    // Only the latest reading counts; every one is deleted when it ends.
    connect(thread_, &QThread::finished, this, [this, thread = thread_, generation = ++generation_] {
        std::erase(threads_, thread);
        thread->deleteLater();
        if (generation == generation_) finished();
    });
    thread_->start();
    clear_->setEnabled(true);
    showLabel();
}

void ReferenceComparison::clear() {
    if (thread_) cancel_->store(true);  // finished() drops what it read
    const bool had = reference_ != nullptr;
    reference_.reset();
    name_.clear();
    clear_->setEnabled(thread_ != nullptr);
    showLabel();
    if (had) emit referenceChanged();
}

void ReferenceComparison::settingsChanged() {
    const QString name = thread_ ? loadingName_ : name_;  // a reading under way started with the old settings
    if ((thread_ || reference_) && !IsJsonLines(name.toStdString())) load(name);
}

void ReferenceComparison::finished() {
    thread_ = nullptr;
    const bool cancelled = cancel_->load();
    clear_->setEnabled(reference_ != nullptr);
    if (!cancelled && !reading_->error) {
        reference_ = std::make_unique<Corpus>(std::move(reading_->corpus));
        name_ = loadingName_;
        clear_->setEnabled(true);
    }
    showLabel();
    if (!cancelled && reading_->error)
        emit failed(u("Эталон не прочитан: %1").arg(QString::fromStdString(*reading_->error)));
    reading_.reset();
    if (!cancelled && reference_) emit referenceChanged();
}

void ReferenceComparison::showLabel() {
    if (thread_) {
        label_->setText(u("Эталон: чтение %1...").arg(shortName(loadingName_)));
    } else if (reference_) {
        label_->setText(u("Эталон: %1").arg(shortName(name_)));
    }
    label_->setToolTip(thread_ ? loadingName_ : name_);
    label_->setVisible(thread_ || reference_);
}
