#include "app/aboutbox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/icons.h"

namespace {

constexpr int kMargin = 5;
constexpr int kProgramIconSize = 32;
constexpr QRgb kBackground = qRgb(0xd4, 0xf0, 0xd4);  // light green

}  // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    const QString caption = QStringLiteral("О программе...");
    setObjectName(QStringLiteral("FormAbout"));
    // The box has no title bar; the title still names the window for screen readers and task lists.
    setWindowTitle(caption);
    setAccessibleName(caption);

    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(kBackground));
    setPalette(background);
    setAutoFillBackground(true);

    auto* group = new QGroupBox(caption, this);
    group->setObjectName(QStringLiteral("GroupBox1"));

    auto* image = new QLabel(group);
    image->setObjectName(QStringLiteral("ImageIcon"));
    image->setPixmap(Icon(IconId::kProgram).pixmap(QSize(kProgramIconSize, kProgramIconSize), devicePixelRatioF()));
    image->setFixedSize(kProgramIconSize, kProgramIconSize);
    image->setAccessibleName(QStringLiteral("Sumoran"));

    auto* version = new QLabel(QStringLiteral("Sumoran, v" SUMORAN_VERSION), group);
    version->setObjectName(QStringLiteral("LabelVersion"));
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);

    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(image);
    groupLayout->addSpacing(kMargin);
    groupLayout->addWidget(version);

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("ButtonOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);
    layout->addWidget(group);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    // The box takes exactly the size its contents ask for and cannot be resized.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
