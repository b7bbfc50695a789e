// Script commands that move between pages, and what they show.
#include "app/CTarnwickApp.h"
#include "content/CObjectTable.h"
#include "document/CTarnwickDoc.h"
#include "platform/ui/CommandIds.h"
#include "shell/ScriptEnvironment.h"
#include "ui/headless/CHeadlessBackend.h"
#include "ui/headless/CScriptCommands.h"

#include <ostream>

namespace {

// As the tool bar's button does: a command that is greyed does nothing,
// which the script is told.
ScriptResult Choose(const ScriptCall& call, unsigned id) {
    if (!ScriptBackend().CommandEnabled(id))
        call.err << "vestrial: line " << call.line.number << ": " << call.line.name
                 << " is not enabled now" << std::endl;
    ScriptBackend().ChooseCommand(id);
    return ScriptResult::Done();
}

ScriptCommand Button(std::string name, unsigned id) {
    return {.name = name,
            .usage = name,
            .run = [id](const ScriptCall& call) { return Choose(call, id); },
            // Stop acts on what the previous command started, so it does not
            // wait for that to end.
            .waitForSettle = id != CommandId::Stop};
}

ScriptResult Open(const ScriptCall& call) {
    ScriptApp().OpenUrl(CommandLineTarget(call.Arg(0)));
    return ScriptResult::Done();
}

// As a form with this action and body posts it: the cached answer to the
// same request goes first, so the post always reaches the server.
ScriptResult Post(const ScriptCall& call) {
    CTarnwickDoc* document = ScriptApp().TopDocument();
    if (!document)
        return ScriptResult::Failed("there is no page window");
    const std::string& url = call.Arg(0);
    const std::string& body = call.Arg(1);
    std::string headers = "Content-type: application/x-www-form-urlencoded\r\nContent-length: " +
                          std::to_string(body.size()) + "\r\n";
    FlushObject(url, Method::Post, headers, body);
    document->Navigate({.url = url, .method = Method::Post, .headers = headers, .postData = body});
    return ScriptResult::Done();
}

ScriptResult PrintLine(const ScriptCall& call, std::string_view text) {
    call.out << text << '\n';
    return ScriptResult::Done();
}

// "* GET URL#fragment" for the current entry, "  ..." for the others.
ScriptResult PrintHistory(const ScriptCall& call) {
    const CHistory& history = ScriptApp().History();
    for (size_t i = 0; i < history.Entries().size(); ++i) {
        const HistoryEntry& entry = history.Entries()[i];
        call.out << (i == history.Index() ? "* " : "  ")
                 << (entry.method == Method::Post   ? "POST "
                     : entry.method == Method::Head ? "HEAD "
                                                    : "GET ")
                 << entry.url;
        if (!entry.fragment.empty())
            call.out << '#' << entry.fragment;
        call.out << '\n';
    }
    return ScriptResult::Done();
}

ScriptResult PrintEnabled(const ScriptCall& call) {
    std::string names;
    for (const CTarnwickApp::Command& command : CTarnwickApp::Commands())
        if (ScriptApp().IsCommandEnabled(command.id))
            names += (names.empty() ? "" : " ") + std::string(command.name);
    return PrintLine(call, names);
}

const ScriptCommandRegistration kNavigationCommands(
    {
        {.name = "open", .usage = "open URL", .minArgs = 1, .maxArgs = 1, .run = Open},
        {.name = "post", .usage = "post URL BODY", .minArgs = 2, .maxArgs = 2, .run = Post},
        Button("back", CommandId::Back),
        Button("forward", CommandId::Forward),
        Button("home", CommandId::Home),
        Button("reload", CommandId::Reload),
        Button("stop", CommandId::Stop),
    },
    {
        {"url", [](const ScriptCall& call) { return PrintLine(call, ScriptBackend().Location()); }},
        {"title", [](const ScriptCall& call) { return PrintLine(call, ScriptBackend().Title()); }},
        {"status",
         [](const ScriptCall& call) { return PrintLine(call, ScriptBackend().StatusText()); }},
        {"history", PrintHistory},
        {"enabled", PrintEnabled},
    });

} // namespace
