#pragma once

#include "pages/Reporter.h"

#include <QStringList>

// Stands in for the message box: keeps every text that would have been shown.
class RecordingReporter : public Reporter {
public:
    void showMessage(QWidget*, const QString& text) override { messages.append(text); }
    QString last() const { return messages.isEmpty() ? QString() : messages.last(); }
    void clear() { messages.clear(); }

    QStringList messages;
};

// Messages as the embedded directory gives them: the words a server adds to a refusal
// ("\nThe server said: ..."), and the note that ACL values written rule nothing on a server
// with access rules of its own, which only a server has, left out.
inline QStringList withoutServerWords(QStringList messages) {
    for (QString& m : messages) {
        for (const auto& line :
             {QStringLiteral("\nThe server said: "),
              QStringLiteral("\nThe values were stored, but the server's own")}) {
            const qsizetype at = m.indexOf(line);
            if (at >= 0) {
                const qsizetype end = m.indexOf('\n', at + 1);
                m.remove(at, end < 0 ? m.size() - at : end - at);
            }
        }
    }
    return messages;
}
