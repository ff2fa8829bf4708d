#include "settings/qt/dialogbuttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

OkCancelRow MakeOkCancelRow(QDialog* dialog) {
    OkCancelRow row;
    row.ok = new QPushButton(QStringLiteral("Ok"), dialog);
    row.ok->setObjectName(QStringLiteral("ButtonOk"));
    row.ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    row.layout = new QHBoxLayout;
    row.layout->addStretch();
    row.layout->addWidget(row.ok);
    row.layout->addWidget(cancel);
    return row;
}
