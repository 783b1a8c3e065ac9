#pragma once

#include "mwindow.h"

class MApplicationPage;
class MToolBar;

// The main window of an application: pages above a toolbar made of the window's toolbar
// actions (QWidget::addAction with an MAction whose location includes the toolbar).
// Closing it in lazy-shutdown prestart mode hides it and returns the process to the
// prestarted state instead of quitting.
class MApplicationWindow : public MWindow
{
    Q_OBJECT
public:
    explicit MApplicationWindow(QWidget *parent = nullptr);

    MApplicationPage *currentPage() const;
    MToolBar *toolBar() const { return m_toolBar; }
    void setToolbarViewType(const QString &type);
    QString toolbarViewType() const;
    QRectF pageArea() const override;

protected:
    void actionEvent(QActionEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void layoutChrome() override;

private:
    bool toolBarShown() const;

    MToolBar *m_toolBar;
};
