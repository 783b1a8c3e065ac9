#pragma once

#include <QList>
#include <QObject>
#include <QPair>

// Marks parts of a label's text: the label asks for the ranges to mark and draws them in its
// style's accent colour, in bold. Only labels in rich-text mode draw highlights.
class MLabelHighlighter : public QObject
{
    Q_OBJECT
public:
    explicit MLabelHighlighter(QObject *parent = nullptr) : QObject(parent) {}
    // Start and length of each part of plainText to mark, in order, not overlapping.
    virtual QList<QPair<int, int>> highlights(const QString &plainText) const = 0;
};
