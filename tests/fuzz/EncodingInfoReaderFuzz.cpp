// libFuzzer target: the encoding-information reader takes any bytes. The input is read
// whole and again in small pieces; both must give the same list, and exporting that list
// and reading it back must reproduce every row.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/EncodingInfoFile.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool SameRows(const TrackList& a, const TrackList& b) {
  if (a.GetTrackCount() != b.GetTrackCount()) return false;
  for (int r = 0; r < a.GetTrackCount(); ++r)
    for (int c = 0; c < kTrackColumnCount; ++c)
      if (a.GetItemText(r, c) != b.GetItemText(r, c)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TrackList whole;
  ReadEncodingInfo(whole, bytes);

  // The piece size comes from the first byte, so chunk boundaries fall everywhere.
  const size_t piece = size == 0 ? 1 : 1 + data[0] % 13;
  TrackList pieces;
  EncodingInfoReader reader(pieces);
  for (size_t i = 0; i < size; i += piece) reader.Feed(bytes.data() + i, size - i < piece ? size - i : piece);
  reader.Finish();
  Check(SameRows(whole, pieces));

  TrackList back;
  ReadEncodingInfo(back, EncodingInfoText(whole));
  Check(SameRows(whole, back));
  return 0;
}
