// Rows like a user's, for the benchmarks: a music folder, a Japanese title and author, a
// copyright line, a short description, a save path on every third row and a comma in
// every tenth title. They go into a list as one batch, as every action of the program
// adds its rows.
#pragma once
#include <string>
#include <vector>

#include "core/TrackList.h"

inline std::vector<NewTrack> UserRows(int count) {
  std::vector<NewTrack> rows;
  rows.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    NewTrack row{"C:\\Users\\someone\\Music\\アルバム " + std::to_string(i % 997) + "\\Track " + n + ".wav", {}};
    row.cells = {{kColumnTitle, (i % 10 == 0 ? "曲名, その" : "曲名 その") + n},
                 {kColumnAuthor, "山田 太郎 & The Players"},
                 {kColumnCopyright, "(C) 2004 Example Records"},
                 {kColumnDescription, "ライブ録音 第" + n + "回"}};
    if (i % 3 == 0) row.cells.emplace_back(kColumnSavePath, "D:\\Encoded\\Track " + n + ".wma");
    rows.push_back(std::move(row));
  }
  return rows;
}
