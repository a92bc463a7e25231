#include "core/AppPaths.h"
#include "ui/QuorvaneApplication.h"
#include "ui/TTVXMainForm.h"
#include "ui/UnixSignalCloser.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

int main(int argc, char** argv)
{
    QuorvaneApplication app(argc, argv);
    // Before the window: its start-up may already show a box, and a signal
    // then must close the box and the window, not kill the program unsaved.
    UnixSignalCloser closer;
    try {
        TTVXMainForm form(AppPaths::forExecutable(currentExecutablePath()));
        form.createDialogs();
        closer.setWindow(&form);
        if (closer.signalled()) {
            form.close();
            return form.exitCode();
        }
        form.show();
        QApplication::exec();
        form.close();  // already closed unless the event loop ended some other way
        return form.exitCode();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromStdString(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString());
    }
    return 1;
}
