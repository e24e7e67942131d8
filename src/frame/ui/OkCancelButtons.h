#pragma once

class QDialog;
class QDialogButtonBox;

// OK and Cancel as the program's dialogs have them: named ctl_1 and ctl_2 after their resource
// ids (tests and the dialog's own code find them so), wired to accept and reject.
QDialogButtonBox *okCancelButtons(QDialog *dialog);
