#pragma once

#include <QTextDocument>

// A text document that never loads a resource its markup names (images, style sheets): an
// `<img src=...>` in the text draws nothing instead of reading a file, a device or a pipe.
// Every document of the touch layer that may hold markup is one of these.
class MOfflineTextDocument : public QTextDocument
{
    Q_OBJECT
public:
    explicit MOfflineTextDocument(QObject *parent = nullptr);

protected:
    QVariant loadResource(int type, const QUrl &name) override;
};
