// The keyboard and mouse habits of a desktop program, given to the main window from outside its
// wiring: the keys of the browser's and the panels' commands, a file or link dropped on the window
// opening as if typed, splitters that stay where the user put them, and Qt's own texts in Russian.
// GUI thread only.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSplitter>
#include <QString>
#include <functional>

class QCoreApplication;
class QMimeData;
class QResizeEvent;
class QSettings;
class QWidget;

namespace habits {

/// The window's own choices that no settings file of the analysis holds (the dictionary option,
/// the splitters): ~/.config/Sumoran/sumoran.ini.
QSettings WindowSettings();

/// Gives the window's commands their keys: Ctrl+L and F6 the address box, F5 reload, Alt+Left and
/// Alt+Right back and forward, Esc stop, Ctrl+S save the summary, Ctrl+F the type filter of the
/// result list that has the focus (the stem list when none has).
void InstallShortcuts(QWidget* window);

/// The address a drop of `data` opens: a local file's path, another URL as written, or a single
/// line of text; empty when it holds none of these.
QString DroppedAddress(const QMimeData* data);

/// Opens what is dropped on `target` or on any widget added to it later with `open`, and keeps the
/// widgets inside it (the browser's view) from taking the drop themselves.
void AcceptDrops(QWidget* target, std::function<void(const QString&)> open);

/// The sizes of a splitter's panes for an extent (the splitter's width or height): the layout of a
/// window nobody has rearranged.
using SplitterRule = std::function<QList<int>(int extent)>;

/// A splitter that keeps its panes where the user puts them. Once given a rule, every resize lays
/// its panes out by the rule until a handle is dragged; after a drag, a resize keeps each pane's
/// share of the splitter as the drag left it. Dragged shares are written to the window's settings
/// file under the rule's key when the splitter goes (the window closes) and are the layout of the
/// next start. No pane can be dragged or squeezed away.
class KeptSplitter : public QSplitter {
  public:
    explicit KeptSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~KeptSplitter() override;

    /// Lays the panes out by `rule` from now on, or by the shares stored under `key`.
    void keepLayout(const QString& key, SplitterRule rule);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QString key_;
    SplitterRule rule_;
    QList<double> shares_;  // of the user's last drag, or stored from an earlier session
    bool dragged_ = false;
};

/// The sizes that give each pane of `extent` minus the handles its share of `shares` (which need
/// not add up to 1), rounded so that they fill it; empty for shares that are not all finite and
/// non-negative with a positive sum.
QList<int> SizesOfShares(const QList<double>& shares, int extent, int handleWidth);

/// Whether Qt's own texts are to be Russian for these locale variables (LC_ALL, LC_MESSAGES,
/// LANG, the first one set counts): for a Russian locale, or for none ("", "C", "POSIX").
bool WantsRussianQtTexts(const QByteArray& lcAll, const QByteArray& lcMessages, const QByteArray& lang);

/// Loads Qt's Russian translations into `app` when the environment's locale wants them; returns
/// whether they were loaded.
bool LoadQtTranslations(QCoreApplication& app);

}  // namespace habits
