#include "core/TStatusForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include <algorithm>

TStatusForm::TStatusForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , messageLabel_(new QLabel(this))
    , progressBar_(new QProgressBar(this))
{
    setObjectName("StatusForm");
    setFixedSize(BaseWidth, BaseHeight);
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
    // 165 pixels hold the English texts; a longer one (French, a long port
    // name) widens the window, which stays centred, instead of being cut.
    const int width = std::max(BaseWidth, messageLabel_->x() + messageLabel_->width() + 20);
    if (width != this->width()) {
        const QPoint centre = geometry().center();
        setFixedSize(width, BaseHeight);
        progressBar_->resize(width - 44, progressBar_->height());
        move(centre - rect().center());
    }
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
