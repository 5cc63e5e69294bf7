#pragma once

// A Dialogs seam for tests: records every box and answers from a script; installed for the
// lifetime of the object.

#include <QString>
#include <QStringList>
#include <deque>

#include "ui/Dialogs.h"

class ScriptedDialogs : public Dialogs {
  public:
    struct Shown {
        QString kind;  // "information", "confirm", "error", "save"
        QString caption;
        QString text;
    };

    ScriptedDialogs() { SetDialogs(this); }
    ~ScriptedDialogs() override { SetDialogs(nullptr); }

    std::deque<Answer> answers;     // for confirm; Dismissed when empty
    std::deque<QString> fileNames;  // for saveFileName; empty (cancel) when empty
    std::vector<Shown> shown;

    // Texts of the boxes of one kind, in order.
    QStringList texts(const QString& kind) const {
        QStringList out;
        for (const auto& s : shown)
            if (s.kind == kind) out << s.text;
        return out;
    }

    QStringList errors() const {
        QStringList out;
        for (const auto& s : shown)
            if (s.kind == "error") out << s.text;
        return out;
    }

    void information(QWidget*, const QString& caption, const QString& text) override {
        shown.push_back({"information", caption, text});
    }
    Answer confirm(QWidget*, const QString& caption, const QString& text) override {
        shown.push_back({"confirm", caption, text});
        if (answers.empty()) return Answer::Dismissed;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void error(QWidget*, const QString& caption, const QString& text) override {
        shown.push_back({"error", caption, text});
    }
    // A save dialog's text is its proposed path, filter and suffix, "|" between them.
    QString saveFileName(QWidget*, const QString& caption, const QString& path,
                         const QString& filter, const QString& suffix) override {
        shown.push_back({"save", caption, path + u'|' + filter + u'|' + suffix});
        if (fileNames.empty()) return {};
        const QString f = fileNames.front();
        fileNames.pop_front();
        return f;
    }
};
