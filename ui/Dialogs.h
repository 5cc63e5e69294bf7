#pragma once

#include <QString>

class QWidget;

// Every message box and file dialog goes through this seam so tests can answer them.
// Texts are always shown as plain text, never as markup.
class Dialogs {
  public:
    enum class Answer { Yes, No, Dismissed };

    virtual ~Dialogs() = default;
    // Plain information box with an OK button.
    virtual void information(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Question icon with Yes and No; closing the box any other way gives Dismissed.
    virtual Answer confirm(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Error icon with an OK button (the standard error box).
    virtual void error(QWidget* parent, const QString& caption, const QString& text) = 0;
    // Save-file dialog; an empty result means cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter, const QString& defaultSuffix) = 0;
};

// The dialogs in use; tests install a scripted one with SetDialogs (nullptr restores Qt's).
Dialogs& dialogs();
void SetDialogs(Dialogs* d);
