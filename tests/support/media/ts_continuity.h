// MPEG-TS files joined end to end restart their continuity counters at each
// join, which readers take for lost packets. This renumbers them so the
// joined file reads as one unbroken stream.
#ifndef FOLIO_TEST_MEDIA_TS_CONTINUITY_H
#define FOLIO_TEST_MEDIA_TS_CONTINUITY_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace folio_test::media {

constexpr std::size_t ts_packet_size = 188;

// transport_stream must be whole 188-byte packets; throws std::runtime_error
// otherwise.
void renumber_continuity_counters(std::vector<std::uint8_t> &transport_stream);

}  // namespace folio_test::media

#endif
