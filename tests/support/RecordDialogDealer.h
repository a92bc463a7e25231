#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

// Answers the record dialogs as they come up, the way a dealer would: the
// insert dialog asks for a new record, the create dialog is filled in.
class RecordDialogDealer : public QObject {
public:
    RecordDialogDealer()
    {
        connect(&poll_, &QTimer::timeout, this, &RecordDialogDealer::look);
        poll_.start(20);
    }
    QStringList seen;

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        // A dialog made where a deleted one stood is a new one: the guarded pointer forgot the old.
        if (!modal || modal == last_.data())
            return;
        const QString kind = QString::fromLatin1(modal->metaObject()->className());
        if (kind == "TinsertForm") {
            last_ = modal;
            seen << kind;
            modal->findChild<QPushButton*>("createButt")->click();
        } else if (kind == "TcreateForm") {
            last_ = modal;
            seen << kind;
            modal->findChild<QLineEdit*>("oNameEdit")->setText("Jean");
            modal->findChild<QLineEdit*>("oSurNameEdit")->setText(QString::fromUtf8("Lefèvre"));
            modal->findChild<QPlainTextEdit*>("oAddressMemo")->setPlainText("3 rue des Lilas\n69000 Lyon");
            modal->findChild<QLineEdit*>("yearIdMaskEdit")->setText("07");
            modal->findChild<QLineEdit*>("machineIdMaskEdit")->setText("123");
            modal->findChild<QPushButton*>("createButt")->click();
        }
    }
    QTimer poll_;
    QPointer<QWidget> last_;
};

