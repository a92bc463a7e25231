#include "core/TStatusForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int Margin = 20;
constexpr int NoteTop = 58;
constexpr int NoteMaxWidth = 360;  // a longer note wraps onto a second line

}  // namespace

TStatusForm::TStatusForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , messageLabel_(new QLabel(this))
    , progressBar_(new QProgressBar(this))
    , noteLabel_(new QLabel(this))
{
    setObjectName("StatusForm");
    setFixedSize(BaseWidth, BaseHeight);
    messageLabel_->setObjectName("messageLabel");
    messageLabel_->move(Margin, 13);
    messageLabel_->resize(140, 16);
    progressBar_->setObjectName("ProgressBar");
    progressBar_->setGeometry(Margin, 33, 121, 17);
    // The percentage on the bar says how far the command is at a glance.
    progressBar_->setTextVisible(true);
    progressBar_->setFormat("%p%");
    progressBar_->setAlignment(Qt::AlignCenter);
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    noteLabel_->setObjectName("noteLabel");
    noteLabel_->setWordWrap(true);
    noteLabel_->move(Margin, NoteTop);
    QFont bold = noteLabel_->font();
    bold.setBold(true);
    noteLabel_->setFont(bold);
    noteLabel_->hide();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

int TStatusForm::titleWidth() const
{
    // The window system draws the title in its own font, usually the
    // application's in bold, with the close button and the frame beside it.
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    return metrics.horizontalAdvance(windowTitle()) + 3 * metrics.height() + 2 * Margin;
}

// The base size unless the label, the title or the note need more; the window
// stays centred where it was.
void TStatusForm::fitContents()
{
    messageLabel_->adjustSize();
    int width = std::max({BaseWidth, messageLabel_->x() + messageLabel_->width() + Margin, titleWidth()});
    int height = BaseHeight;
    if (!noteLabel_->text().isEmpty()) {
        const QFontMetrics metrics(noteLabel_->font());
        const int noteWidth = std::min(metrics.horizontalAdvance(noteLabel_->text()) + 2, NoteMaxWidth);
        width = std::max(width, noteWidth + 2 * Margin);
        noteLabel_->setFixedWidth(width - 2 * Margin);
        noteLabel_->setFixedHeight(noteLabel_->heightForWidth(width - 2 * Margin));
        height = NoteTop + noteLabel_->height() + 13;
    }
    noteLabel_->setVisible(!noteLabel_->text().isEmpty());
    if (QSize(width, height) != size()) {
        const QPoint centre = geometry().center();
        setFixedSize(width, height);
        progressBar_->resize(width - 44, progressBar_->height());
        move(centre - rect().center());
    }
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
    fitContents();
    repaintNow();
}

void TStatusForm::setText(const std::string& text)
{
    messageLabel_->setText(QString::fromStdString(text));
    fitContents();
    repaintNow();
}

void TStatusForm::setNote(const std::string& note)
{
    noteLabel_->setText(QString::fromStdString(note));
    fitContents();
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
    noteLabel_->clear();
    fitContents();
}
