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
    try {
        TTVXMainForm form(AppPaths::forExecutable(currentExecutablePath()));
        UnixSignalCloser closer(&form);
        form.createDialogs();
        form.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromStdString(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString());
    }
    return 1;
}
