#include "recordinghelp.h"

#include "help/winhelpapi.h"

namespace {
class RecordingViewer : public HtmlHelpViewer {
public:
    explicit RecordingViewer(RecordingHelp& log) : log_(log) {}
    quintptr HtmlHelp(QWidget* owner, const QString& file, int command, const QVariant& data) override
    {
        log_.viewerCalls.append({owner, file, command, data});
        return log_.viewerAnswer;
    }

private:
    RecordingHelp& log_;
};
} // namespace

RecordingHelp::RecordingHelp()
{
    setHtmlHelpLoader([this]() -> std::unique_ptr<HtmlHelpViewer> {
        ++loads;
        if (viewerMissing)
            return nullptr;
        return std::make_unique<RecordingViewer>(*this);
    });
    setWinHelpEntry([this](QWidget* owner, const QString& file, quint16 command, const QVariant& data) {
        winHelpCalls.append({owner, file, command, data});
        return true;
    });
}

RecordingHelp::~RecordingHelp()
{
    setHtmlHelpLoader(nullptr);
    setWinHelpEntry(nullptr);
}

void RecordingHelp::clear()
{
    viewerCalls.clear();
    winHelpCalls.clear();
}

QList<HelpViewerCall> RecordingHelp::popups() const
{
    QList<HelpViewerCall> out;
    for (const HelpViewerCall& call : viewerCalls)
        if (call.command == HHCmd::DisplayTextPopup)
            out << call;
    return out;
}
