#include "tools/LinkTerminal.h"

#include "core/AppTexts.h"
#include "core/TVXStringTable.h"

#include <cctype>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

const char* prefixOf(MsgType type)
{
    switch (type) {
    case MsgType::Warning:
        return "warning: ";
    case MsgType::Error:
        return "error: ";
    default:
        return "";
    }
}

// Yes in any of the five languages: y, o(ui), s(i), j(a).
bool isYes(const std::string& answer)
{
    if (answer.empty())
        return false;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
    return c == 'y' || c == 'o' || c == 's' || c == 'j';
}

}  // namespace

MsgButton TerminalUser::messageBox(MsgType type, const std::string& text, unsigned buttons)
{
    if (type != MsgType::Confirmation || !(buttons & MbCancel)) {
        std::fprintf(stderr, "%s%s\n", prefixOf(type), text.c_str());
        return MbOK;
    }
    if (assumeYes_) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return MbOK;
    }
    const std::string question = " " + appText(AppText::YesNoQuestion) + " ";
    std::fprintf(stderr, "%s%s", text.c_str(), question.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        return MbCancel;
    return isYes(answer) ? MbOK : MbCancel;
}

void TerminalUser::showMessage(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
}

void TerminalProgress::setCaption(const std::string& caption)
{
    if (verbose_)
        std::fprintf(stderr, "[%s]\n", caption.c_str());
}

void TerminalProgress::setNote(const std::string& note)
{
    if (!note.empty())
        std::fprintf(stderr, "%s\n", note.c_str());
}

void TerminalProgress::setText(const std::string& text)
{
    if (verbose_)
        std::fprintf(stderr, "  %s\n", text.c_str());
}
