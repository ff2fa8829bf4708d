#include "app/habits.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QResizeEvent>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QToolButton>
#include <QTranslator>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace habits {
namespace {

void setKeys(QWidget* window, const char* action, QList<QKeySequence> keys) {
    if (auto* a = window->findChild<QAction*>(QString::fromLatin1(action))) a->setShortcuts(keys);
}

void addShortcut(QWidget* window, const QKeySequence& keys, const char* name, std::function<void()> run) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setObjectName(QString::fromLatin1(name));
    QObject::connect(shortcut, &QShortcut::activated, window, std::move(run));
}

// Takes drops for a widget and everything inside it.
class DropTaker : public QObject {
  public:
    DropTaker(QWidget* target, std::function<void(const QString&)> open) : QObject(target), open_(std::move(open)) {
        watch(target);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::ChildAdded:
                if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) watch(child);
                return false;
            case QEvent::DragEnter:
            case QEvent::DragMove: {
                auto* drag = static_cast<QDragMoveEvent*>(event);
                if (DroppedAddress(drag->mimeData()).isEmpty()) return false;
                drag->acceptProposedAction();
                return true;
            }
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                const QString address = DroppedAddress(drop->mimeData());
                if (address.isEmpty()) return false;
                drop->acceptProposedAction();
                open_(address);
                return true;
            }
            default:
                return QObject::eventFilter(watched, event);
        }
    }

  private:
    void watch(QWidget* widget) {
        widget->setAcceptDrops(true);
        widget->installEventFilter(this);
        for (QWidget* child : widget->findChildren<QWidget*>()) {
            child->setAcceptDrops(true);
            child->installEventFilter(this);
        }
    }

    std::function<void(const QString&)> open_;
};

}  // namespace

KeptSplitter::KeptSplitter(Qt::Orientation orientation, QWidget* parent) : QSplitter(orientation, parent) {
    setChildrenCollapsible(false);
    connect(this, &QSplitter::splitterMoved, this, [this] {
        shares_.clear();
        for (int size : sizes()) shares_ << size;
        dragged_ = true;
    });
}

KeptSplitter::~KeptSplitter() {
    if (!dragged_ || key_.isEmpty()) return;
    QVariantList stored;
    for (double share : shares_) stored << share;
    WindowSettings().setValue(key_, stored);
}

void KeptSplitter::keepLayout(const QString& key, SplitterRule rule) {
    key_ = QStringLiteral("layout/") + key;
    rule_ = std::move(rule);
    shares_.clear();
    for (const QVariant& v : WindowSettings().value(key_).toList()) shares_ << v.toDouble();
    if (shares_.size() != count() || SizesOfShares(shares_, 1000, 0).isEmpty()) shares_.clear();
}

// The panes are laid out after the splitter's own resize, when the new extent is its geometry:
// sizes set before it would be fitted to the old extent first and then stretched.
void KeptSplitter::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    const int extent = orientation() == Qt::Horizontal ? width() : height();
    QList<int> sizes;
    if (!shares_.isEmpty()) {
        sizes = SizesOfShares(shares_, extent, handleWidth());
    } else if (rule_) {
        sizes = rule_(extent);
    }
    if (!sizes.isEmpty()) setSizes(sizes);
}

QList<int> SizesOfShares(const QList<double>& shares, int extent, int handleWidth) {
    double sum = 0;
    for (double share : shares) {
        if (!std::isfinite(share) || share < 0) return {};
        sum += share;
    }
    if (shares.isEmpty() || !(sum > 0) || !std::isfinite(sum)) return {};
    const int room = std::max(0, extent - handleWidth * static_cast<int>(shares.size() - 1));
    QList<int> sizes;
    double before = 0;
    for (double share : shares) {
        // Each edge is rounded, not each size, so that the sizes add up to the room.
        const int start = static_cast<int>(std::lround(room * before / sum));
        before += share;
        sizes << static_cast<int>(std::lround(room * before / sum)) - start;
    }
    return sizes;
}

QSettings WindowSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Sumoran"), QStringLiteral("sumoran"));
}

void InstallShortcuts(QWidget* window) {
    setKeys(window, "tbBack", {QKeySequence(Qt::ALT | Qt::Key_Left)});
    setKeys(window, "tbForward", {QKeySequence(Qt::ALT | Qt::Key_Right)});
    setKeys(window, "tbStop", {QKeySequence(Qt::Key_Escape)});
    setKeys(window, "tbRefresh", {QKeySequence(Qt::Key_F5)});
    setKeys(window, "tbSaveReferat", {QKeySequence(Qt::CTRL | Qt::Key_S)});
    auto address = [window] {
        if (auto* box = window->findChild<QComboBox*>(QStringLiteral("cbURLNavigator"))) {
            box->setFocus(Qt::ShortcutFocusReason);
            if (box->lineEdit()) box->lineEdit()->selectAll();
        }
    };
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_L), "scAddress", address);
    addShortcut(window, QKeySequence(Qt::Key_F6), "scAddressF6", address);
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_F), "scFilter", [window] {
        static const char* const kLists[][2] = {
            {"lvWordBase", "ToolButton1"}, {"lvWordFull", "ToolButton2"}, {"lvWordExpr", "ToolButton3"}};
        const char* button = kLists[0][1];
        for (const auto& [list, filter] : kLists) {
            QWidget* view = window->findChild<QWidget*>(QString::fromLatin1(list));
            QWidget* focus = window->focusWidget();
            if (view && focus && (focus == view || view->isAncestorOf(focus))) button = filter;
        }
        if (auto* b = window->findChild<QToolButton*>(QString::fromLatin1(button)))
            b->setFocus(Qt::ShortcutFocusReason);
    });
}

QString DroppedAddress(const QMimeData* data) {
    if (data == nullptr) return {};
    if (data->hasUrls() && !data->urls().isEmpty()) {
        const QUrl url = data->urls().first();
        if (url.isLocalFile()) return url.toLocalFile();
        return url.isValid() ? url.toString() : QString();
    }
    if (data->hasText()) {
        const QString text = data->text().trimmed();
        if (!text.isEmpty() && !text.contains(QChar('\n'))) return text;
    }
    return {};
}

void AcceptDrops(QWidget* target, std::function<void(const QString&)> open) { new DropTaker(target, std::move(open)); }

bool WantsRussianQtTexts(const QByteArray& lcAll, const QByteArray& lcMessages, const QByteArray& lang) {
    QByteArray locale = lcAll;
    if (locale.isEmpty()) locale = lcMessages;
    if (locale.isEmpty()) locale = lang;
    return locale.isEmpty() || locale == "C" || locale.startsWith("C.") || locale == "POSIX" || locale.startsWith("ru");
}

bool LoadQtTranslations(QCoreApplication& app) {
    if (!WantsRussianQtTexts(qgetenv("LC_ALL"), qgetenv("LC_MESSAGES"), qgetenv("LANG"))) return false;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace habits
