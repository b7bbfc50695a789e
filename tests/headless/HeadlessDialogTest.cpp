#include "ui/headless/CHeadlessBackend.h"

#include <gtest/gtest.h>

TEST(AnswerQueue, EachKindTakesItsOldestAnswer) {
    CAnswerQueue queue;
    queue.Push("question", {"no"});
    queue.Push("login", {"ok", "ann", "secret"});
    queue.Push("question", {"yes"});
    EXPECT_EQ(queue.Count("question"), 2u);
    EXPECT_EQ(queue.Take("login"), (CAnswerQueue::Answer{"ok", "ann", "secret"}));
    EXPECT_EQ(queue.Take("login"), std::nullopt);
    EXPECT_EQ(queue.Take("question"), (CAnswerQueue::Answer{"no"}));
    EXPECT_EQ(queue.Take("question"), (CAnswerQueue::Answer{"yes"}));
    EXPECT_EQ(queue.Count("question"), 0u);
}

TEST(HeadlessDialogs, QuestionsTakeTheirAnswerOrTheirDefault) {
    struct Case {
        MessageBoxButtons buttons;
        std::vector<std::string> queued; // empty: nothing queued
        MessageBoxResult expected;
    };
    using B = MessageBoxButtons;
    using R = MessageBoxResult;
    for (const Case& c : std::initializer_list<Case>{
             {B::YesNo, {}, R::No},
             {B::OkCancel, {}, R::Cancel},
             {B::YesNoCancel, {}, R::Cancel},
             {B::YesNo, {"yes"}, R::Yes},
             {B::YesNo, {"no"}, R::No},
             {B::YesNo, {"ok"}, R::No},
             {B::OkCancel, {"ok"}, R::Ok},
             {B::OkCancel, {"yes"}, R::Cancel},
             {B::YesNoCancel, {"no"}, R::No},
             {B::YesNoCancel, {"cancel"}, R::Cancel},
         }) {
        CHeadlessBackend backend;
        if (!c.queued.empty())
            backend.Answers().Push(CHeadlessBackend::QuestionKind, c.queued);
        EXPECT_EQ(backend.MessageBox("Sure?", c.buttons, MessageBoxIcon::Question), c.expected)
            << static_cast<int>(c.buttons) << " " << (c.queued.empty() ? "-" : c.queued[0]);
        EXPECT_EQ(backend.Answers().Count(CHeadlessBackend::QuestionKind), 0u);
    }
}

TEST(HeadlessDialogs, ANoticeTakesNoAnswer) {
    CHeadlessBackend backend;
    backend.QueueAnswer(MessageBoxResult::No);
    EXPECT_EQ(backend.MessageBox("Done.", MessageBoxButtons::Ok, MessageBoxIcon::Information),
              MessageBoxResult::Ok);
    EXPECT_EQ(backend.MessageBox("Sure?", MessageBoxButtons::YesNo, MessageBoxIcon::Question),
              MessageBoxResult::No);
    ASSERT_EQ(backend.Shown().size(), 2u);
    EXPECT_EQ(backend.Shown()[1].answer, MessageBoxResult::No);
}

TEST(HeadlessDialogs, TheLoginDialogTakesLoginAnswersOnly) {
    CHeadlessBackend backend;
    backend.QueueAnswer(MessageBoxResult::Yes);
    EXPECT_EQ(backend.AskLogin(), std::nullopt) << "nothing queued of its kind: Cancel";
    backend.QueueLogin(LoginAnswer{"", ""});
    backend.QueueLogin(std::nullopt);
    std::optional<LoginAnswer> first = backend.AskLogin();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->user, "");
    EXPECT_EQ(first->password, "");
    EXPECT_EQ(backend.AskLogin(), std::nullopt);
    EXPECT_EQ(backend.LoginsAsked(), 3);
    EXPECT_EQ(backend.Answers().Count(CHeadlessBackend::QuestionKind), 1u);
}
