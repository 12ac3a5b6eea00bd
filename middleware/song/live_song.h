// The real-time way of making a song: the material a live run plays (one
// melody cycle, one intro measure) and the song made from a run's recording
// (an intro, one body phrase per run of equal sections with its fill-in, an
// ending), rendered like any other song.
//
// Thread rules: host thread only; uses the track buffers, so never while a
// render or a conversion runs. The material is prepared before the run's
// input starts; the song is made after the run has stopped.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "core/result.h"
#include "song/phrase_list.h"

namespace qm3 {

// Buffer 1: the melody cycle of the current melody, mood and start phrase,
// channel 1 four ticks after the chords; buffer 0: the first measure of the
// intro source of the current mood. kRcOk always: a file that cannot be read
// plays silence and is named to the host as a render names it.
Rc PrepareLiveMaterial();

// The structure of a recorded run.
struct RecordedSong {
  std::vector<SongPhrase> phrases;
  int intro = 4;   // 0..3, 4 none
  int ending = 4;  // 0..3, 4 none
};

// Measures are given as section numbers (1..4 intro, 5..8 ending, 9..10
// fill-in, 11..14 variation) with the variation index 0..3 of each.
// `intro_measures` and `ending_measures` are the rhythm's catalog lengths.
RecordedSong SongFromRecording(const uint8_t* sections, const uint8_t* variations, int count,
                               int beats, const std::array<int, 4>& intro_measures,
                               const std::array<int, 4>& ending_measures);

// Makes the song from a recording with the current rhythm: phrase list, song
// values, real-time song flag, render. kRcNoMemory or the render's code.
Rc MakeSongFromRecording(const uint8_t* sections, const uint8_t* variations, int count);

}  // namespace qm3
