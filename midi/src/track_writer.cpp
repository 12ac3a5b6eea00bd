#include "midibytes/track_writer.h"

#include "midibytes/number.h"
#include "midibytes/status.h"

namespace midibytes {

const uint8_t kSingleTrackTemplate[22] = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06,
                                          0x00, 0x00, 0x00, 0x01, 0x00, 0x60, 0x4D, 0x54,
                                          0x72, 0x6B, 0x00, 0x00, 0x00, 0x00};

void TrackWriter::Delta(int64_t time) {
  if (time < last_time_) time = last_time_;
  AppendNumber(bytes_, time - last_time_);
  last_time_ = time;
}

void TrackWriter::Channel(int64_t time, uint8_t status, uint8_t data1, uint8_t data2) {
  Delta(time);
  bytes_.push_back(status);
  bytes_.push_back(data1);
  if (ChannelDataLength(status) == 2) bytes_.push_back(data2);
}

void TrackWriter::Meta(int64_t time, uint8_t type, const uint8_t* data, uint32_t length) {
  Delta(time);
  bytes_.push_back(0xFF);
  bytes_.push_back(type);
  AppendNumber(bytes_, length);
  bytes_.insert(bytes_.end(), data, data + length);
}

void TrackWriter::Meta(int64_t time, uint8_t type, std::string_view text) {
  Meta(time, type, reinterpret_cast<const uint8_t*>(text.data()),
       static_cast<uint32_t>(text.size()));
}

void TrackWriter::SysEx(int64_t time, uint8_t status, const uint8_t* data, uint32_t length) {
  Delta(time);
  bytes_.push_back(status);
  AppendNumber(bytes_, length);
  bytes_.insert(bytes_.end(), data, data + length);
}

void TrackWriter::End(int64_t time) {
  Delta(time);
  bytes_.insert(bytes_.end(), {0xFF, 0x2F, 0x00});
}

std::vector<uint8_t> AssembleFile(uint16_t format, uint16_t division,
                                  const std::vector<std::vector<uint8_t>>& tracks) {
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd'};
  AppendBe32(file, 6);
  AppendBe16(file, format);
  AppendBe16(file, static_cast<uint16_t>(tracks.size()));
  AppendBe16(file, division);
  for (const auto& track : tracks) {
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    AppendBe32(file, static_cast<uint32_t>(track.size()));
    file.insert(file.end(), track.begin(), track.end());
  }
  return file;
}

}  // namespace midibytes
