// A Prompter for tests: records every message, question, file dialog and folder
// browser it is shown, and answers from queues the test fills (or from defaults once a
// queue is empty). Header-only so every test folder can include it.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/Prompter.h"

class FakePrompter : public Prompter {
public:
  // One call in the order it happened, for tests that care how messages and questions interleave.
  struct Event {
    enum Kind { kMessage, kQuestion, kQuestionDefaultNo, kChooseFiles, kBrowseForFolder } kind;
    std::string text;  // message, question or folder-browser title; empty for file dialogs
  };

  // What was shown.
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<FileDialogRequest> fileDialogs;
  std::vector<std::string> folderTitles;
  std::vector<Event> events;

  // A chosen path: given in code page 932 (so it has an exact form), or as the system
  // would hand it over (a name code page 932 cannot hold, with or without a short path).
  struct Choice {
    Choice(const char* path) : value(SystemPathOf(path)) {}
    Choice(const std::string& path) : value(SystemPathOf(path)) {}
    Choice(SystemPath path) : value(std::move(path)) {}
    SystemPath value;
  };

  // Scripted answers. A question pops `answers`, then falls back to `defaultAnswer`;
  // a three-way question pops `threeWayAnswers`, then falls back to Cancel.
  std::deque<bool> answers;
  bool defaultAnswer = false;
  std::deque<Answer> threeWayAnswers;
  // A file dialog pops `fileChoices`; an empty choice list (or none left) means cancelled.
  std::deque<std::vector<Choice>> fileChoices;
  // The folder browser pops `folderChoices`; an empty path (or none left) means cancelled.
  std::deque<Choice> folderChoices;

  // Runs inside ShowMessage, after recording: lets a test act while the "box" is up
  // (the real box runs a nested message loop).
  void (*onMessage)(void* context, const std::string& text) = nullptr;
  void* onMessageContext = nullptr;

  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    events.push_back({Event::kMessage, text});
    if (onMessage) onMessage(onMessageContext, text);
  }

  bool AskYesNo(const std::string& text) override { return Ask(Event::kQuestion, text); }
  bool AskYesNoDefaultNo(const std::string& text) override { return Ask(Event::kQuestionDefaultNo, text); }

  Answer AskYesNoCancel(const std::string& text) override {
    questions.push_back(text);
    events.push_back({Event::kQuestion, text});
    if (threeWayAnswers.empty()) return Answer::kCancel;
    const Answer answer = threeWayAnswers.front();
    threeWayAnswers.pop_front();
    return answer;
  }

  bool ChooseFiles(const FileDialogRequest& request, std::vector<SystemPath>* paths) override {
    fileDialogs.push_back(request);
    events.push_back({Event::kChooseFiles, std::string()});
    if (fileChoices.empty()) return false;
    std::vector<Choice> choice = std::move(fileChoices.front());
    fileChoices.pop_front();
    if (choice.empty()) return false;
    paths->clear();
    for (Choice& c : choice) paths->push_back(std::move(c.value));
    return true;
  }

  bool BrowseForFolder(const std::string& title, SystemPath* folder) override {
    folderTitles.push_back(title);
    events.push_back({Event::kBrowseForFolder, title});
    if (folderChoices.empty()) return false;
    SystemPath choice = std::move(folderChoices.front().value);
    folderChoices.pop_front();
    if (choice.wide.empty()) return false;
    *folder = std::move(choice);
    return true;
  }

private:
  // Both kinds of question are recorded in `questions` and answered from one queue.
  bool Ask(Event::Kind kind, const std::string& text) {
    questions.push_back(text);
    events.push_back({kind, text});
    if (answers.empty()) return defaultAnswer;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
};
