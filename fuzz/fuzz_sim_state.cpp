// Feeds arbitrary bytes to the simulator's state file parser: it must never crash, and what
// it accepts must survive a save and a reload unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ras/sim_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto state = ov::SimState::Parse(text);
    if (!state) {
        return 0;
    }
    const std::string saved = state->Serialize();
    const auto again = ov::SimState::Parse(saved);
    if (!again || again->Serialize() != saved) {
        std::abort();
    }
    return 0;
}
