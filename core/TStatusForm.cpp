#include "core/TStatusForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

TStatusForm::TStatusForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , messageLabel_(new QLabel(this))
    , progressBar_(new QProgressBar(this))
{
    setObjectName("StatusForm");
    setFixedSize(165, 76);
    messageLabel_->setObjectName("messageLabel");
    messageLabel_->move(20, 13);
    messageLabel_->resize(140, 16);
    progressBar_->setObjectName("ProgressBar");
    progressBar_->setGeometry(20, 33, 121, 17);
    progressBar_->setTextVisible(false);
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TStatusForm::repaintNow()
{
    repaint();
    // The command that shows this window blocks the event loop; let the
    // window system draw what changed.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TStatusForm::setCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
    repaintNow();
}

void TStatusForm::setText(const std::string& text)
{
    messageLabel_->setText(QString::fromStdString(text));
    messageLabel_->adjustSize();
    repaintNow();
}

void TStatusForm::setMaximum(int maximum)
{
    progressBar_->setMaximum(maximum);
}

void TStatusForm::setPosition(int position)
{
    progressBar_->setValue(position);
}

void TStatusForm::showWindow()
{
    show();
    repaintNow();
}

void TStatusForm::hideWindow()
{
    hide();
}
