#include "core/AppPaths.h"
#include "core/Version.h"
#include "ui/QuorvaneApplication.h"
#include "ui/TTVXMainForm.h"
#include "ui/UnixSignalCloser.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

// --help and --version answer on the terminal before anything of the
// toolkit exists, so they need no display.
int answerCommandLine(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quorvane %s\n", QUORVANE_VERSION_TEXT);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("usage: quorvane [--help | --version]\n"
                        "The dealer's service tool for Tarvex robotic lawn mowers: firmware upgrade,\n"
                        "history download and the database of mower records, in a window.\n"
                        "  --help       print this help and exit\n"
                        "  --version    print the version and exit\n"
                        "The command-line companion is quorvane-tool; see quorvane(1).\n");
            return 0;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (const int answered = answerCommandLine(argc, argv); answered >= 0)
        return answered;
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
