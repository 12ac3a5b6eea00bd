// The voice tables: the sound module's own voices by category with their
// bank select and program, the General MIDI voices and drum kits, and the
// General MIDI sound the software module plays each native voice with. One
// table feeds both the module's voice map and the middleware's lists.
#include "midibytes/voices.h"

namespace midibytes {
namespace {

// name, program, bank select, bank select fine, General MIDI sound
constexpr NativeVoice kNative0[] = {
    {"Piano", 0, 0, 0, 0},
    {"Piano 1 Octave", 0, 0, 16, 0},
    {"Midi Grand", 0, 0, 32, 0},
    {"Bright Piano", 1, 0, 0, 1},
    {"Honky-Tonk Piano", 1, 0, 16, 3},
    {"Mellow Piano", 2, 0, 0, 0},
    {"Piano 2 Octave", 2, 0, 16, 0},
    {"Electric Grand", 3, 0, 0, 2},
    {"Rock Piano", 3, 0, 32, 2},
    {"Pop E.P.", 4, 0, 0, 4},
    {"Suitcase E.P.", 4, 0, 32, 4},
    {"Tremolo E.P.", 4, 0, 64, 4},
    {"Wurly E.P.", 4, 0, 80, 4},
    {"Vintage E.P.", 5, 0, 0, 4},
    {"Modern E.P.", 6, 0, 0, 5},
    {"Crystal E.P.", 6, 0, 64, 5},
    {"Harpsichord", 16, 0, 0, 6},
    {"Clavi", 17, 0, 0, 7},
    {"Cembalo", 18, 0, 0, 6},
    {"Synth Clavi", 115, 0, 0, 7},
};
constexpr NativeVoice kNative1[] = {
    {"Classical Guitar", 20, 0, 0, 24},
    {"Spanish Guitar", 20, 0, 16, 24},
    {"Bossa Guitar", 20, 0, 64, 24},
    {"Jazz Ac.Guitar", 21, 0, 0, 24},
    {"Folk Guitar", 22, 0, 0, 25},
    {"12 String Guitar", 23, 0, 0, 25},
    {"Jazz Guitar 2", 24, 0, 0, 26},
    {"Jazz Guitar 1", 25, 0, 0, 26},
    {"ElectroAc.Guitar", 25, 0, 32, 25},
    {"Bright Solid Gtr", 26, 0, 0, 27},
    {"Clean Solid Gtr", 26, 0, 16, 27},
    {"Rock Harmonics", 27, 0, 16, 31},
    {"Overdrive Guitar", 27, 0, 32, 29},
    {"Mellow Solid Gtr", 28, 0, 0, 27},
    {"Mute Guitar", 29, 0, 0, 28},
    {"Distortion Gtr", 30, 0, 0, 30},
    {"Feedback Guitar", 30, 0, 80, 30},
    {"Hawaiian Guitar", 31, 0, 0, 26},
    {"Country Guitar", 31, 0, 16, 25},
    {"Banjo", 33, 0, 0, 105},
    {"Ukulele", 34, 0, 0, 24},
    {"Mandolin", 35, 0, 0, 25},
    {"Shamisen", 36, 0, 0, 106},
    {"Koto", 37, 0, 0, 107},
    {"Sitar", 38, 0, 0, 104},
    {"Zither", 38, 0, 64, 15},
};
constexpr NativeVoice kNative2[] = {
    {"Violin", 96, 0, 0, 40},           {"Jazz Violin", 96, 0, 16, 40},
    {"Country Fiddle", 96, 0, 32, 110}, {"Cello", 97, 0, 0, 42},
    {"Viola", 97, 0, 32, 41},           {"Bowed Bass", 98, 0, 0, 43},
    {"Bass Strings", 98, 0, 16, 43},    {"Pizzicato Str.", 99, 0, 0, 45},
    {"Strings", 100, 0, 0, 48},         {"Tremolo Strings", 100, 0, 32, 44},
    {"Slow Strings", 101, 0, 0, 49},    {"Octave Strings", 102, 0, 0, 48},
    {"Synth Strings 1", 103, 0, 0, 50}, {"Synth Strings 2", 103, 0, 16, 51},
    {"Vocal Ooh", 104, 0, 32, 53},      {"Vocal Ah", 104, 0, 48, 52},
    {"Humming", 105, 0, 0, 53},         {"Air Vox", 106, 0, 16, 85},
    {"Synth Vocal", 107, 0, 0, 54},     {"Vocal Doo", 109, 0, 0, 53},
};
constexpr NativeVoice kNative3[] = {
    {"Trumpet", 48, 0, 0, 56},           {"Big Band Trumpet", 48, 0, 48, 56},
    {"Solo Trumpet", 48, 0, 64, 56},     {"Harmon Mute Tpt", 50, 0, 0, 59},
    {"Flugel Horn", 51, 0, 0, 56},       {"Bright Trombone", 52, 0, 0, 57},
    {"Mellow Trombone", 53, 0, 0, 57},   {"ClosedFrenchHorn", 54, 0, 0, 60},
    {"Open French Horn", 54, 0, 16, 60}, {"Marching Tuba", 55, 0, 16, 58},
    {"Octave Brass", 56, 0, 16, 61},     {"Brass & Synth", 56, 0, 48, 61},
    {"Full Brass", 56, 0, 64, 61},       {"Brass", 57, 0, 64, 61},
    {"Brass Fall", 58, 0, 64, 61},       {"Octave Horns", 59, 0, 0, 60},
    {"Synth Brass 1", 60, 0, 0, 62},     {"Warm Synth Brass", 62, 0, 64, 63},
    {"Synth Brass 2", 63, 0, 48, 63},
};
constexpr NativeVoice kNative4[] = {
    {"Music Box", 7, 0, 0, 10},
    {"Vibraphone", 8, 0, 0, 11},
    {"Vibes&JazzGuitar", 8, 0, 64, 11},
    {"Bright Vibes", 8, 0, 80, 11},
    {"Glockenspiel", 9, 0, 0, 9},
    {"Marimba", 10, 0, 0, 12},
    {"Xylophone", 11, 0, 0, 13},
    {"Caribbean Mallet", 11, 0, 16, 13},
    {"Celesta", 12, 0, 0, 8},
    {"Bottle Marimba", 13, 0, 0, 12},
    {"Tubular Bells", 14, 0, 0, 14},
    {"Tinkle Bell", 14, 0, 32, 112},
    {"Gamelan", 14, 0, 48, 14},
    {"Steel Drum", 15, 0, 0, 114},
    {"Harp", 32, 0, 0, 46},
    {"Bright Harp", 32, 0, 32, 46},
    {"Dulcimer", 38, 0, 16, 15},
    {"Kalimba", 39, 0, 0, 108},
    {"Metal Kalimba", 39, 0, 16, 108},
    {"African Mallet", 113, 0, 0, 108},
    {"Talking Drum", 123, 0, 64, 116},
    {"Sleigh Bell", 125, 0, 0, 112},
    {"Timpani", 126, 0, 0, 47},
    {"Gong", 126, 0, 16, 14},
    {"Orchestra Hit", 127, 0, 16, 55},
};
constexpr NativeVoice kNative5[] = {
    {"Bright Accordion", 80, 0, 0, 21}, {"Bandoneon", 80, 0, 16, 23},
    {"Mellow Accordion", 81, 0, 0, 21}, {"Musette", 82, 0, 0, 21},
    {"Full Organ", 84, 0, 0, 19},       {"Chapel Organ", 85, 0, 0, 19},
    {"Harmonium", 86, 0, 32, 20},       {"Theatre Organ", 87, 0, 32, 16},
    {"Theatre Accomp", 87, 0, 48, 16},  {"Theatre Novelty", 87, 0, 80, 16},
    {"Perc Organ", 88, 0, 0, 17},       {"Full Drawbars", 89, 0, 0, 16},
    {"Soul Organ", 89, 0, 32, 16},      {"Pop Organ", 90, 0, 0, 16},
    {"16' & 1'", 91, 0, 0, 16},         {"Accomp Drawbars", 91, 0, 32, 16},
    {"Rock Organ", 92, 0, 32, 18},      {"Jazz Drawbars", 93, 0, 0, 16},
    {"Organ Bass", 94, 0, 16, 16},
};
constexpr NativeVoice kNative6[] = {
    {"Piccolo", 64, 0, 0, 72},          {"Alto Flute", 64, 0, 16, 73},
    {"Jazz Flute", 65, 0, 0, 73},       {"Classical Flute", 65, 0, 16, 73},
    {"Latin Flute", 65, 0, 32, 73},     {"Oboe", 66, 0, 0, 68},
    {"English Horn", 67, 0, 0, 69},     {"Jazz Clarinet", 68, 0, 0, 71},
    {"Mellow Clarinet", 68, 0, 16, 71}, {"RomanticClarinet", 68, 0, 48, 71},
    {"Classic Clarinet", 69, 0, 0, 71}, {"Bassoon", 70, 0, 0, 70},
    {"Pan Flute", 72, 0, 0, 75},        {"Blown Bottle", 72, 0, 32, 76},
    {"Recorder", 74, 0, 0, 74},         {"Ocarina", 74, 0, 16, 79},
    {"Shakuhachi", 75, 0, 0, 77},       {"Flutter Flute", 75, 0, 80, 73},
    {"Soprano Sax", 76, 0, 0, 64},      {"Alto Sax", 77, 0, 0, 65},
    {"Mellow Alto Sax", 77, 0, 16, 65}, {"Breathy Tenor", 78, 0, 16, 66},
    {"Distortion Sax", 78, 0, 32, 66},  {"Tenor Sax", 78, 0, 48, 66},
    {"Rock Tenor Sax", 79, 0, 0, 66},   {"Baritone Sax", 79, 0, 16, 67},
    {"Unison Saxes", 79, 0, 32, 66},    {"Harmonica", 83, 0, 0, 22},
    {"Whistle", 111, 0, 0, 78},
};
constexpr NativeVoice kNative7[] = {
    {"Crystal", 9, 0, 32, 98},
    {"Digi Bells", 14, 0, 96, 98},
    {"Atmosphere", 21, 0, 48, 99},
    {"Charang", 27, 0, 48, 84},
    {"Synth Harp", 32, 0, 64, 46},
    {"Bass & Lead", 46, 0, 32, 87},
    {"Olymp Synth", 60, 0, 64, 81},
    {"Talking Synth", 60, 0, 80, 85},
    {"Sweep Pad", 62, 0, 32, 95},
    {"Warm Synth Pad", 62, 0, 80, 89},
    {"Synth Calliope", 72, 0, 48, 82},
    {"Sine Lead", 94, 0, 0, 80},
    {"Poly Synth", 102, 0, 32, 90},
    {"Goblins", 106, 0, 0, 101},
    {"Metal Pad", 106, 0, 32, 93},
    {"Echo Drops", 106, 0, 48, 102},
    {"Mellow Ensemble", 107, 0, 16, 54},
    {"Spacy Pad", 107, 0, 32, 91},
    {"Halo Pad", 107, 0, 48, 94},
    {"Dream", 108, 0, 32, 88},
    {"Mist", 108, 0, 48, 89},
    {"Weeeow", 112, 0, 64, 81},
    {"Slow Weeeow", 112, 0, 80, 81},
    {"Cheap Synth", 113, 0, 64, 80},
    {"Bass To Lead", 115, 0, 64, 87},
    {"Metallica Solo", 115, 0, 96, 84},
    {"Fantasia", 116, 0, 48, 88},
    {"Square Lead", 117, 0, 0, 80},
    {"Chiffer Lead", 117, 0, 32, 83},
    {"Talking Lead", 117, 0, 80, 85},
    {"Saw Lead", 118, 0, 16, 81},
    {"Voco Synth", 118, 0, 32, 85},
    {"The Basics", 118, 0, 80, 81},
    {"Dead Ringer", 118, 0, 96, 81},
    {"5th Wave", 119, 0, 0, 86},
    {"Soundtrack", 119, 0, 16, 97},
    {"Tune Me In", 119, 0, 32, 97},
    {"Sirens", 119, 0, 112, 125},
    {"Bowed Glass", 120, 0, 0, 92},
    {"Star Theme", 120, 0, 16, 103},
    {"Old Sampler", 120, 0, 32, 91},
    {"Electro Synth", 120, 0, 48, 81},
    {"Rave Chord", 120, 0, 64, 81},
    {"Ice Rain", 121, 0, 48, 96},
    {"80's Poly Synth", 121, 0, 64, 90},
    {"80's Solo", 121, 0, 80, 81},
    {"Hip Hop Perc", 124, 0, 64, 118},
    {"Tape Reverse", 125, 0, 64, 119},
    {"Dance Hit 1", 127, 0, 64, 55},
    {"Dance Hit 2", 127, 0, 80, 55},
};
constexpr NativeVoice kNative8[] = {
    {"Bagpipe", 73, 0, 0, 109},        {"Shanai", 73, 0, 16, 111},
    {"Agogo", 122, 0, 0, 113},         {"Wood Block", 122, 0, 16, 115},
    {"Melodic Tom", 122, 0, 32, 117},  {"Reverse Cymbal", 122, 0, 48, 119},
    {"Telephone", 123, 0, 0, 124},     {"Helicopter", 123, 0, 16, 125},
    {"Gun Shot", 123, 0, 32, 127},     {"Taiko Drum", 123, 0, 48, 116},
    {"Synth Drum", 124, 0, 0, 118},    {"Fret Noise", 124, 0, 16, 120},
    {"Breath Noise", 124, 0, 32, 121}, {"Seashore", 124, 0, 48, 122},
    {"Bird Tweet", 125, 0, 32, 123},   {"Applause", 125, 0, 48, 126},
};
constexpr NativeVoice kNative9[] = {
    {"Electric Bass", 40, 0, 0, 33},     {"Bright E.Bass", 40, 0, 16, 33},
    {"Fretless Bass", 40, 0, 32, 35},    {"Funky E.Bass", 40, 0, 48, 33},
    {"Fusion E.Bass", 40, 0, 64, 33},    {"Slap Bass 1", 41, 0, 0, 36},
    {"Slap Bass 2", 41, 0, 16, 37},      {"Picked E.Bass", 42, 0, 0, 34},
    {"Soul Bass", 42, 0, 16, 34},        {"Acoustic Bass", 43, 0, 0, 32},
    {"Sub Bass", 43, 0, 32, 38},         {"Vintage Syn.Bass", 44, 0, 16, 38},
    {"Wet Bass", 44, 0, 32, 39},         {"Frog Bass", 44, 0, 96, 39},
    {"Basic Synth Bass", 45, 0, 64, 38}, {"Wow Bass", 46, 0, 0, 39},
    {"Analog Bass", 46, 0, 16, 38},      {"Plastic Bass", 46, 0, 80, 39},
    {"Mute Bass", 47, 0, 0, 33},         {"House Bass", 47, 0, 32, 38},
    {"Dance Bass", 47, 0, 48, 39},       {"Techno Bass", 47, 0, 64, 38},
    {"Hard Techno Bass", 47, 0, 96, 39},
};
constexpr NativeVoice kNative10[] = {
    {"Standard Kit", 112, 1, 0, 0},    {"Jazz Kit", 113, 1, 0, 32},
    {"Electric Kit", 114, 1, 0, 24},   {"Room Kit", 115, 1, 0, 8},
    {"Brush Kit", 117, 1, 0, 40},      {"Power Kit", 119, 1, 0, 16},
    {"Funk Kit", 120, 1, 0, 0},        {"Soul Kit", 121, 1, 0, 0},
    {"Dance Kit", 122, 1, 0, 25},      {"House Kit", 123, 1, 0, 25},
    {"Orchestral Kit", 124, 1, 0, 48}, {"Light Rock Kit", 126, 1, 0, 8},
    {"Techno Kit", 127, 1, 0, 25},
};

constexpr const char* kGm0[] = {"Piano",   "Bright Piano", "Electric Grand", "Honky-Tonk Piano",
                                "E.Piano", "Modern E.P.",  "Harpsichord",    "Clavi"};
constexpr const char* kGm1[] = {"Celesta", "Glockenspiel", "Music Box",     "Vibraphone",
                                "Marimba", "Xylophone",    "Tubular Bells", "Dulcimer"};
constexpr const char* kGm2[] = {"Full Drawbars", "Perc Organ", "Rock Organ", "Pipe Organ",
                                "Harmonium",     "Accordion",  "Harmonica",  "Bandoneon"};
constexpr const char* kGm3[] = {"Jazz Ac.Guitar", "Folk Guitar",   "Jazz Guitar",
                                "Solid Guitar",   "Mute Guitar",   "Overdrive Guitar",
                                "Distortion Gtr", "Rock Harmonics"};
constexpr const char* kGm4[] = {"Acoustic Bass", "Bright E.Bass", "Picked E.Bass", "Fretless Bass",
                                "Slap Bass 1",   "Slap Bass 2",   "Wow Bass",      "Plastic Bass"};
constexpr const char* kGm5[] = {"Violin",          "Viola",          "Cello", "Bowed Bass",
                                "Tremolo Strings", "Pizzicato Str.", "Harp",  "Timpani"};
constexpr const char* kGm6[] = {"Strings",  "Slow Strings", "Synth Strings 1", "Synth Strings 2",
                                "Vocal Ah", "Vocal Doo",    "Synth Vocal",     "Orchestra Hit"};
constexpr const char* kGm7[] = {"Trumpet",      "Trombone", "Tuba",          "Harmon Mute Tpt",
                                "Open Fr.Horn", "Brass",    "Synth Brass 1", "Synth Brass 2"};
constexpr const char* kGm8[] = {"Soprano Sax", "Alto Sax",     "Tenor Sax", "Baritone Sax",
                                "Oboe",        "English Horn", "Bassoon",   "Jazz Clarinet"};
constexpr const char* kGm9[] = {"Piccolo",      "Jazz Flute", "Recorder", "Pan Flute",
                                "Blown Bottle", "Shakuhachi", "Whistle",  "Ocarina"};
constexpr const char* kGm10[] = {"Square Lead", "Saw Lead", "Synth Calliope", "Chiffer Lead",
                                 "Charang",     "Air Vox",  "5th Wave",       "Bass & Lead"};
constexpr const char* kGm11[] = {"Fantasia",    "Warm Pad",  "Poly Synth", "Spacy Pad",
                                 "Bowed Glass", "Metal Pad", "Halo Pad",   "Sweep Pad"};
constexpr const char* kGm12[] = {"Ice Rain",   "Soundtrack", "Crystal",    "Atmosphere",
                                 "Brightness", "Goblins",    "Echo Drops", "Star Theme"};
constexpr const char* kGm13[] = {"Sitar",   "Banjo",   "Shamisen",       "Koto",
                                 "Kalimba", "Bagpipe", "Country Fiddle", "Shanai"};
constexpr const char* kGm14[] = {"Tinkle Bell", "Agogo",       "Steel Drum", "Wood Block",
                                 "Taiko Drum",  "Melodic Tom", "Synth Drum", "Reverse Cymbal"};
constexpr const char* kGm15[] = {"Fret Noise", "Breath Noise", "Seashore", "Bird Tweet",
                                 "Telephone",  "Helicopter",   "Applause", "Gun Shot"};
constexpr const char* kGm16[] = {"Standard Kit", "Room Kit",       "Power Kit",
                                 "Electric Kit", "Analog Kit",     "Jazz Kit",
                                 "Brush Kit",    "Orchestral Kit", "Sound Effect Kit"};

constexpr NativeCategory kNativeCategories[] = {
    {"ﾋﾟｱﾉ", kNative0},
    {"ｷﾞﾀｰ", kNative1},
    {"ｽﾄﾘﾝｸﾞｽ&ﾎﾞｰｶﾙ", kNative2},
    {"ﾌﾞﾗｽ", kNative3},
    {"ﾏﾚｯﾄ&ｵｰｹｽﾄﾗﾊﾟｰｶｯｼｮﾝ", kNative4},
    {"ｵﾙｶﾞﾝ&ｱｺｰﾃﾞｨｵﾝ", kNative5},
    {"ｻｯｸｽ&ｳｯﾄﾞｳｨﾝﾄﾞ", kNative6},
    {"ｼﾝｾ&ﾀﾞﾝｽ", kNative7},
    {"GMｽﾍﾟｼｬﾙ", kNative8},
    {"ﾍﾞｰｽ", kNative9},
    {"ﾄﾞﾗﾑｷｯﾄ", kNative10},
};

constexpr GmCategory kGmCategories[] = {
    {"ﾋﾟｱﾉ", kGm0},      {"ｸﾛﾏﾁｯｸ ﾊﾟｰｶｯｼｮﾝ", kGm1}, {"ｵﾙｶﾞﾝ", kGm2},     {"ｷﾞﾀｰ", kGm3},
    {"ﾍﾞｰｽ", kGm4},      {"ｽﾄﾘﾝｸﾞｽ･ｵｰｹｽﾄﾗ", kGm5},  {"ｱﾝｻﾝﾌﾞﾙ", kGm6},   {"ﾌﾞﾗｽ", kGm7},
    {"ﾘｰﾄﾞ", kGm8},      {"ﾊﾟｲﾌﾟ", kGm9},           {"ｼﾝｾﾘｰﾄﾞ", kGm10},  {"ｼﾝｾﾊﾟｯﾄﾞ", kGm11},
    {"ｼﾝｾFX", kGm12},    {"ｴｽﾆｯｸ", kGm13},          {"ﾊﾟｰｶｯｼｮﾝ", kGm14}, {"効果音", kGm15},
    {"ﾄﾞﾗﾑﾊﾟｰﾄ", kGm16},
};

}  // namespace

std::span<const NativeCategory> NativeVoiceMap() {
  return kNativeCategories;
}

std::span<const GmCategory> GmVoiceMap() {
  return kGmCategories;
}

}  // namespace midibytes
