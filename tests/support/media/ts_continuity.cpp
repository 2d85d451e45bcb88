#include "support/media/ts_continuity.h"

#include <map>
#include <stdexcept>

namespace folio_test::media {

namespace {

constexpr std::uint8_t sync_byte = 0x47;
constexpr unsigned null_pid = 0x1FFF;

}  // namespace

void renumber_continuity_counters(std::vector<std::uint8_t> &transport_stream) {
  if (transport_stream.size() % ts_packet_size != 0) {
    throw std::runtime_error("MPEG-TS data is not a whole number of 188-byte packets");
  }
  std::map<unsigned, unsigned> last_counter;
  for (std::size_t at = 0; at < transport_stream.size(); at += ts_packet_size) {
    std::uint8_t *packet = transport_stream.data() + at;
    if (packet[0] != sync_byte) throw std::runtime_error("MPEG-TS packet without sync byte");
    const unsigned pid = (static_cast<unsigned>(packet[1] & 0x1f) << 8) | packet[2];
    if (pid == null_pid) continue;
    const bool has_payload = (packet[3] & 0x10) != 0;
    auto found = last_counter.find(pid);
    unsigned counter = 0;
    if (found != last_counter.end()) {
      // Packets without payload repeat the counter of the one before.
      counter = has_payload ? (found->second + 1) & 0x0f : found->second;
    }
    last_counter[pid] = counter;
    packet[3] = static_cast<std::uint8_t>((packet[3] & 0xf0) | counter);
  }
}

}  // namespace folio_test::media
