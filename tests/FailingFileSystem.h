// A FileSystem for tests that passes every call to a real one but can be told to fail
// at a chosen step: creating, writing past a byte budget (a full disk), closing,
// replacing, or reading past a byte budget. It also records what was created,
// replaced and removed. Header-only so every test folder can include it.
#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "platform/TextConversion.h"

class FailingFileSystem : public FileSystem {
public:
  explicit FailingFileSystem(FileSystem& real = PlatformFileSystem()) : real_(real) {}

  // What to fail. A budget below zero means no limit.
  bool failCreate = false;
  long long writeBudget = -1;  // bytes all writes together may store; the write that passes it stores what fits and fails
  bool failClose = false;
  bool failReplace = false;
  long long readBudget = -1;   // bytes all reads together may deliver; the read after that fails

  // What happened.
  std::vector<std::string> created;
  std::vector<std::pair<std::string, std::string>> replaced;
  std::vector<std::string> removed;

  bool ProbeSource(const std::string& path, SourceFileInfo* info) override { return real_.ProbeSource(path, info); }

  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
    auto file = real_.OpenForReading(path);
    if (!file) return nullptr;
    return std::make_unique<Input>(std::move(file), &readBudget);
  }

  std::unique_ptr<OutputFile> CreateForWriting(const std::string& path, Create mode) override {
    if (failCreate) return nullptr;
    auto file = real_.CreateForWriting(path, mode);
    if (!file) return nullptr;
    created.push_back(path);
    return std::make_unique<Output>(std::move(file), &writeBudget, failClose);
  }

  bool Replace(const std::string& from, const std::string& to) override {
    if (failReplace || !real_.Replace(from, to)) return false;
    replaced.emplace_back(from, to);
    return true;
  }

  bool Remove(const std::string& path) override {
    removed.push_back(path);
    return real_.Remove(path);
  }

  bool Exists(const std::string& path) override { return real_.Exists(path); }

  // Wide paths fail and are recorded alike (recorded in display form).
  std::unique_ptr<InputFile> OpenForReading(const std::u16string& path) override {
    auto file = real_.OpenForReading(path);
    if (!file) return nullptr;
    return std::make_unique<Input>(std::move(file), &readBudget);
  }
  std::unique_ptr<OutputFile> CreateForWriting(const std::u16string& path, Create mode) override {
    if (failCreate) return nullptr;
    auto file = real_.CreateForWriting(path, mode);
    if (!file) return nullptr;
    created.push_back(textconv::ToCp932Display(path));
    return std::make_unique<Output>(std::move(file), &writeBudget, failClose);
  }
  bool Replace(const std::u16string& from, const std::u16string& to) override {
    if (failReplace || !real_.Replace(from, to)) return false;
    replaced.emplace_back(textconv::ToCp932Display(from), textconv::ToCp932Display(to));
    return true;
  }
  bool Remove(const std::u16string& path) override {
    removed.push_back(textconv::ToCp932Display(path));
    return real_.Remove(path);
  }
  bool Exists(const std::u16string& path) override { return real_.Exists(path); }

private:
  class Input : public InputFile {
  public:
    Input(std::unique_ptr<InputFile> file, long long* budget) : file_(std::move(file)), budget_(budget) {}
    bool Read(char* buffer, size_t size, size_t* got) override {
      if (*budget_ == 0) return false;
      if (*budget_ > 0 && static_cast<long long>(size) > *budget_) size = static_cast<size_t>(*budget_);
      if (!file_->Read(buffer, size, got)) return false;
      if (*budget_ > 0) *budget_ -= static_cast<long long>(*got);
      return true;
    }

  private:
    std::unique_ptr<InputFile> file_;
    long long* budget_;
  };

  class Output : public OutputFile {
  public:
    Output(std::unique_ptr<OutputFile> file, long long* budget, bool failClose)
        : file_(std::move(file)), budget_(budget), failClose_(failClose) {}
    bool Write(const char* data, size_t size) override {
      if (*budget_ >= 0 && static_cast<long long>(size) > *budget_) {
        const size_t fits = static_cast<size_t>(*budget_);
        *budget_ = 0;
        file_->Write(data, fits);
        return false;
      }
      if (*budget_ >= 0) *budget_ -= static_cast<long long>(size);
      return file_->Write(data, size);
    }
    bool Close() override { return file_->Close() && !failClose_; }
    const std::string& FullPath() const override { return file_->FullPath(); }

  private:
    std::unique_ptr<OutputFile> file_;
    long long* budget_;
    bool failClose_;
  };

  FileSystem& real_;
};
