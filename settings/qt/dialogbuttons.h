// The "Ok" and "Cancel" buttons at the right below a settings dialog's content.
#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

struct OkCancelRow {
    QHBoxLayout* layout = nullptr;
    QPushButton* ok = nullptr;  // the default button; the caller connects it
};

/// Makes the row for `dialog`: "Ok" (ButtonOk, default, not connected) and "Cancel" (ButtonCancel, rejects).
OkCancelRow MakeOkCancelRow(QDialog* dialog);
