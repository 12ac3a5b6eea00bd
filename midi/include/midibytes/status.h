// How many bytes MIDI messages take: the data bytes after a status byte and
// the bytes a USB-MIDI event packet carries for its code index. Every
// component that splits a byte stream into messages asks these tables.
//
// Thread rules: pure functions; no state, no allocation.
#pragma once
#include <cstdint>

namespace midibytes {

// Data bytes after a status byte: 2 for 8n, 9n, An, Bn, En; 1 for Cn, Dn, F1
// and F3; 2 for F2; 0 for F0, the other system bytes and data bytes.
int DataLength(uint8_t status);

// Data bytes after a channel status 0x80..0xEF; 0 for anything else.
int ChannelDataLength(uint8_t status);

// Bytes a whole short message with this status takes on the wire (status
// included): 0 for a data byte, 1 for F0 and the status-only system bytes.
int MessageLength(uint8_t status);

// MIDI bytes a USB-MIDI event packet with this code index number carries
// (0 for the reserved indexes 0 and 1).
int CodeIndexByteCount(uint8_t code_index);

// Code index number for a short message starting with `status` (channel,
// system common or real time); 0x0F (single byte) for anything else.
uint8_t CodeIndexForStatus(uint8_t status);

}  // namespace midibytes
