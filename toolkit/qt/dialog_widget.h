// The Qt side of a dialog: turns keys, clicks, closing and painting into the dialog's messages.
#pragma once

#include <QDialog>

namespace toolkit::qt {

class DialogWindow;

class DialogWidget : public QDialog {
    Q_OBJECT

  public:
    DialogWidget(DialogWindow* window, QWidget* owner, Qt::WindowFlags flags);

    DialogWindow* dialogWindow() const { return window_; }

    // Every way Qt would end a dialog on its own goes through the Cancel command instead.
    void reject() override;
    void accept() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    DialogWindow* window_;
};

}  // namespace toolkit::qt
