// Stream routines of the settings manager: bytes as lines of hexadecimal text
// (how ini files keep a stream) and component snapshots (a component's
// published properties, and those of the components inside it, as bytes).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Classes.h"
#include "settings/Persistent.h"

namespace pim {

// A snapshot cannot be read: damaged bytes, or a component that does not
// match it.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

inline constexpr std::size_t HexBytesPerLine = 32;

// Upper-case hexadecimal, two digits a byte, 32 bytes (64 digits) a line, the
// last line shorter; no lines for no bytes.
std::vector<std::string> BytesToHexLines(std::string_view bytes);
// Appends one byte for every pair of digits of the line; a pair that is not
// hexadecimal gives 0, a single digit at the end nothing.
void AppendHexLineBytes(std::string_view line, std::string& bytes);

// The whole stream, from its start, whatever its position.
std::string StreamBytes(TStream& stream);

// Writes the snapshot of `component` (a signature, the component, its
// children) at the stream's position.
void WriteComponentSnapshot(TStream& stream, TPersistentComponent& component);

// Puts the snapshot back into `control`, which must be of the stored class and
// hold components of the stored classes. The names of the control and of the
// components inside it are taken away first (so stored names can be given
// back in any order); on success everything has the stored values and names.
// If anything fails (damaged bytes, a property the control lacks, a setter
// that refuses a value) the properties already set get their old values back,
// the names are put back in the same order, and EReadError or the setter's
// exception is raised.
void ReadComponentSnapshot(std::string_view bytes, TPersistentComponent& control);

}  // namespace pim
