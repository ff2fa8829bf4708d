// The about box: the program's name and version on a light green, borderless panel.
#pragma once

#include <QDialog>

class TFormAbout : public QDialog {
    Q_OBJECT

  public:
    /// Builds the box, hidden; shown with exec() it is centred over the parent and closed by "Ok".
    explicit TFormAbout(QWidget* parent = nullptr);
};
