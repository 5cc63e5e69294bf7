#pragma once

#include <QDialog>

class LinkLabel;
class QPlainTextEdit;

// The read-me window: the maker's notes, the release notes and a link to the maker's web site.
// Created afresh for every opening and destroyed when closed.
class TfAbout : public QDialog {
    Q_OBJECT
  public:
    explicit TfAbout(QWidget* owner = nullptr);

    static QString ReadMeText();
    static QStringList ReleaseNoteLines();
    static QString MakerAddress();

    LinkLabel* URLLabel1;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    bool m_placed = false;
};
