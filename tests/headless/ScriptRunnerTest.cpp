#include "platform/CMessageQueue.h"
#include "platform/CUiLoop.h"
#include "ui/headless/CHeadlessInput.h"
#include "ui/headless/CScriptRunner.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct WordsCase {
    const char* line;
    std::vector<std::string> words; // the name first
    const char* text;               // after the name
};

std::vector<std::string> Words(const ScriptLine& line) {
    std::vector<std::string> words{line.name};
    words.insert(words.end(), line.args.begin(), line.args.end());
    return words;
}

} // namespace

TEST(ScriptLine, CutsIntoWordsWithQuotes) {
    for (const WordsCase& c : std::initializer_list<WordsCase>{
             {"open http://a/b", {"open", "http://a/b"}, "http://a/b"},
             {"  login\tann   secret ", {"login", "ann", "secret"}, "ann   secret "},
             {"login \"\" \"\"", {"login", "", ""}, "\"\" \"\""},
             {"type \"two words\"", {"type", "two words"}, "\"two words\""},
             {"type \"say \\\"hi\\\" \\\\ \\n\"", {"type", "say \"hi\" \\ \\n"}, nullptr},
             {"back", {"back"}, ""},
             {"back   ", {"back"}, ""},
         }) {
        std::string error;
        std::optional<ScriptLine> line = ParseScriptLine(c.line, 7, error);
        ASSERT_TRUE(line) << c.line << ": " << error;
        EXPECT_EQ(Words(*line), c.words) << c.line;
        if (c.text) {
            EXPECT_EQ(line->text, c.text) << c.line;
        }
        EXPECT_EQ(line->number, 7);
    }
}

TEST(ScriptLine, RefusesQuotesThatDoNotEndOrRunOn) {
    for (const char* text : {"login \"ann", "login \"ann\"x", "type \"a\\\""}) {
        std::string error;
        EXPECT_FALSE(ParseScriptLine(text, 1, error)) << text;
        EXPECT_FALSE(error.empty());
    }
}

namespace {

// A page whose loads take a number of idle passes to settle, and a table of
// commands that record when they ran.
class ScriptRunnerTest : public ::testing::Test {
protected:
    ScriptRunnerTest() {
        m_commands.Add(ScriptCommand{.name = "note",
                                     .usage = "note WORD...",
                                     .minArgs = 1,
                                     .maxArgs = 3,
                                     .run = [this](const ScriptCall& call) {
                                         m_log.push_back(call.Arg(0) + (m_busy ? "/busy" : ""));
                                         call.out << call.Arg(0) << '\n';
                                         return ScriptResult::Done();
                                     }});
        m_commands.Add(ScriptCommand{.name = "load",
                                     .usage = "load PASSES",
                                     .minArgs = 1,
                                     .maxArgs = 1,
                                     .run =
                                         [this](const ScriptCall& call) {
                                             m_busy = std::stoi(call.Arg(0));
                                             return ScriptResult::Done();
                                         },
                                     .check = [](const ScriptLine& line) -> std::string {
                                         return line.args[0] == "x" ? "no x" : "";
                                     }});
        m_commands.Add(ScriptCommand{.name = "stop",
                                     .usage = "stop",
                                     .run =
                                         [this](const ScriptCall&) {
                                             m_log.push_back(m_busy ? "stop/busy" : "stop");
                                             m_busy = 0;
                                             return ScriptResult::Done();
                                         },
                                     .waitForSettle = false});
        m_commands.Add(ScriptCommand{.name = "fail",
                                     .usage = "fail bad|broken",
                                     .minArgs = 1,
                                     .maxArgs = 1,
                                     .run = [](const ScriptCall& call) {
                                         return call.Arg(0) == "bad"
                                                    ? ScriptResult::BadArgument("bad it is")
                                                    : ScriptResult::Failed("broken it is");
                                     }});
        m_commands.Add(PrintTopic{"busy", [this](const ScriptCall& call) {
                                      call.out << m_busy << '\n';
                                      return ScriptResult::Done();
                                  }});
    }

    // Runs the script in a UI loop; returns the exit status.
    int Run(std::string_view script) {
        if (!m_runner.Load(script))
            return m_runner.ExitStatus();
        CUiLoop loop(
            m_input,
            [this](long) {
                m_runner.OnIdle(m_busy == 0);
                // One idle pass is one step of loading.
                if (m_busy > 0 && m_busy < 1000)
                    --m_busy;
                return !m_runner.Finished();
            },
            5);
        m_input.Queue([] {});
        return loop.Run();
    }

    CScriptCommands m_commands;
    CHeadlessInput m_input;
    std::ostringstream m_out;
    std::ostringstream m_err;
    CScriptRunner m_runner{m_commands, m_input, m_out, m_err};
    int m_busy = 0;
    std::vector<std::string> m_log;
};

} // namespace

TEST_F(ScriptRunnerTest, EachCommandWaitsForThePageToSettle) {
    EXPECT_EQ(Run("note a\n# a comment\n\n  \nload 3\nnote b\nprint busy\n"), 0);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(m_out.str(), "a\nb\n0\n");
    EXPECT_EQ(m_err.str(), "");
}

TEST_F(ScriptRunnerTest, StopDoesNotWaitForWhatItStops) {
    EXPECT_EQ(Run("load 999999\nstop\nnote after\n"), 0);
    EXPECT_EQ(m_log, (std::vector<std::string>{"stop/busy", "after"}));
}

TEST_F(ScriptRunnerTest, AnEmptyScriptEndsAtOnce) {
    EXPECT_EQ(Run(""), 0);
    EXPECT_TRUE(UiMessageQueue().Empty()) << "the loop was ended once";
}

TEST_F(ScriptRunnerTest, MistakesAreFoundBeforeAnythingRuns) {
    struct Case {
        const char* script;
        const char* message;
    };
    for (auto [script, message] : std::initializer_list<Case>{
             {"note a\r\n\r\nnope\n", "vestrial: line 3: unknown command \"nope\"\n"},
             {"note\n", "vestrial: line 1: note takes 1 to 3 arguments, not 0 (note WORD...)\n"},
             {"note a b c d\n",
              "vestrial: line 1: note takes 1 to 3 arguments, not 4 (note WORD...)\n"},
             {"stop now\n", "vestrial: line 1: stop takes 0 arguments, not 1 (stop)\n"},
             {"load x\n", "vestrial: line 1: no x\n"},
             {"print\n",
              "vestrial: line 1: print takes 1 to 2 arguments, not 0 (print WHAT [WHICH])\n"},
             {"print what\n", "vestrial: line 1: print knows no \"what\" (it knows busy)\n"},
             {"note \"a\n", "vestrial: line 1: a quoted word does not end\n"},
         }) {
        SCOPED_TRACE(script);
        CScriptRunner runner(m_commands, m_input, m_out, m_err);
        m_err.str("");
        EXPECT_FALSE(runner.Load(script));
        EXPECT_EQ(runner.ExitStatus(), 2);
        EXPECT_EQ(m_err.str(), message);
    }
    EXPECT_TRUE(m_log.empty());
    EXPECT_TRUE(UiMessageQueue().Empty()) << "no loop to end";
}

TEST_F(ScriptRunnerTest, TheWordCountsAtTheirBoundsAreAccepted) {
    EXPECT_EQ(Run("note a\nnote a b c\n"), 0);
    EXPECT_EQ(m_log.size(), 2u);
}

TEST_F(ScriptRunnerTest, AFailingCommandStopsTheRunWithItsStatus) {
    EXPECT_EQ(Run("note a\nfail bad\nnote b\n"), 2);
    EXPECT_EQ(m_err.str(), "vestrial: line 2: bad it is\n");
    m_err.str("");
    m_log.clear();
    CScriptRunner runner(m_commands, m_input, m_out, m_err);
    ASSERT_TRUE(runner.Load("fail broken\nnote b\n"));
    CUiLoop loop(m_input, [&](long) {
        runner.OnIdle(true);
        return false;
    });
    m_input.Queue([] {});
    EXPECT_EQ(loop.Run(), 1);
    EXPECT_EQ(m_err.str(), "vestrial: line 1: broken it is\n");
    EXPECT_TRUE(m_log.empty());
}

TEST_F(ScriptRunnerTest, APageThatNeverSettlesEndsTheRunAtTheLimit) {
    m_runner.SetSettleLimit(std::chrono::milliseconds(50));
    EXPECT_EQ(Run("note a\nload 1000\nnote never\n"), 1);
    EXPECT_EQ(m_err.str(), "vestrial: line 2: the page did not settle within 50 ms\n");
    EXPECT_EQ(m_log, (std::vector<std::string>{"a"}));
}
