#include <QFileDialog>
#include <QMessageBox>

#include "ui/Dialogs.h"

namespace {

QMessageBox::StandardButton run(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

class QtDialogs final : public Dialogs {
  public:
    void information(QWidget* parent, const QString& caption, const QString& text) override {
        run(parent, QMessageBox::Information, caption, text, QMessageBox::Ok);
    }
    Answer confirm(QWidget* parent, const QString& caption, const QString& text) override {
        switch (
            run(parent, QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No)) {
            case QMessageBox::Yes:
                return Answer::Yes;
            case QMessageBox::No:
                return Answer::No;
            default:
                return Answer::Dismissed;
        }
    }
    void error(QWidget* parent, const QString& caption, const QString& text) override {
        run(parent, QMessageBox::Critical, caption, text, QMessageBox::Ok);
    }
    QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter, const QString& defaultSuffix) override {
        QFileDialog dlg(parent, caption, directory, filter);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setDefaultSuffix(defaultSuffix);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
        return dlg.selectedFiles().constFirst();
    }
};

QtDialogs g_qtDialogs;
Dialogs* g_dialogs = &g_qtDialogs;

}  // namespace

Dialogs& dialogs() {
    return *g_dialogs;
}
void SetDialogs(Dialogs* d) {
    g_dialogs = d ? d : &g_qtDialogs;
}
