/* qm3middle: the music middleware. Every value the host shows lives here and
 * is addressed by a control identifier; numbered processes (0x8001..0x802E)
 * return lists, convert times and open, save and convert files.
 *
 * Calling convention: cdecl, C linkage. Every value argument and result is
 * pointer-sized (long), so that text and list pointers travel inside them on
 * 64-bit Linux; stored values are 32-bit. Text is zero-terminated Shift-JIS.
 * Lists handed out by pointer stay owned by the middleware and are valid until
 * the next call that changes them.
 *
 * Thread rules: the calls may come from any thread; they run one at a time.
 * The host's user-interface thread is the usual caller. Under the virtual
 * clock only one thread may call (a call waiting on that clock must not hold
 * back another of the clock's threads). Lists handed out stay valid only
 * until the next call from any thread. Notifications are posted to the host window given to
 * QM3MiddleInit, never sent; the host reads state back when it handles them. */
#ifndef QM3MIDDLE_H
#define QM3MIDDLE_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(QM3MIDDLE_BUILD)
#define QM3_API __attribute__((visibility("default")))
#else
#define QM3_API
#endif

/* Binds the host window and its registered message ("QM3MIDDLE"); the first
 * call builds all state. Returns a return code (0, 9, 10, ...). */
QM3_API int QM3MiddleInit(long hWnd, long uMsg);
QM3_API int QM3SetValue(long lID, signed char cCmd, long lValue1, long lValue2);
QM3_API int QM3GetValue(long lID, signed char cCmd, long* plValue1, long* plValue2);
QM3_API int QM3GetValueStr(long lID, long lValue, char* pszText);
QM3_API int QM3GetStrValue(long lID, const char* pszText, long* plValue);
QM3_API int QM3GetValueFunc(int nProcess, long* plValue1, long* plValue2);

/* ---- Return-code table (process 24) ---------------------------------- */
/* Every call returns 0 for success or an index into this table. The host
 * shows the message with the information icon when cInformation is 1 (else
 * the exclamation icon), with OK alone when cOkOnly is 1 (else OK and
 * Cancel), and repeats the call after OK when cRetry is 1. Texts are
 * Shift-JIS; codes without a message have an empty text. */
#define QM3_RETURN_CODE_COUNT 27

typedef struct QM3ReturnCode {
  unsigned char cInformation;
  unsigned char cOkOnly;
  unsigned char cRetry;
  unsigned char cReserved;
  const char* pszMessage;
} QM3ReturnCode;

/* Process 24: a = pointer to the table; valid while the library is loaded. */
typedef struct QM3ReturnCodeTable {
  int nCount; /* QM3_RETURN_CODE_COUNT */
  QM3ReturnCode aCode[QM3_RETURN_CODE_COUNT];
} QM3ReturnCodeTable;

/* ---- MIDI output device list (processes 12, 13) ----------------------- */
/* The output ports found by the last QM3MiddleInit, in system order; a port
 * whose capabilities cannot be read is left out. The value of 0x0A01 is a
 * position in this list. */
#define QM3_MAX_OUT_DEVICES 32
#define QM3_DEVICE_NAME_SIZE 32 /* name bytes including the terminator */

typedef struct QM3OutDevice {
  char szName[QM3_DEVICE_NAME_SIZE]; /* zero-terminated */
  int nDeviceId;                     /* system device number */
} QM3OutDevice;

/* Processes 12, 13: a = pointer to the list; valid until the next
 * QM3MiddleInit. */
typedef struct QM3OutDeviceList {
  int nCount;
  QM3OutDevice aDevice[QM3_MAX_OUT_DEVICES];
} QM3OutDeviceList;

/* ---- Catalog lists (processes 9, 10, 40-46) ---------------------------- */
/* Integers are 32-bit (int). Owned by the middleware; valid until the
 * catalogs are loaded again (process 23) or a user-added list changes
 * (processes 23, 44, 45). */

/* One rhythm (process 9 groups, process 43 user-added list). */
typedef struct QM3RhythmData {
  const char* pszName;
  int lID;      /* (group << 8) + index: the value of 0x0303 */
  int lTempo;   /* standard tempo in BPM */
  int lKeyB;    /* song-file reference, second part */
  int lKeyC;    /* song-file reference, third part */
  int lParam1;  /* id of the default melody */
  int lSetA[4]; /* per-part parameters, first set */
  int lSetB[4]; /* per-part parameters, second set */
  int lBeats;   /* beats per measure */
  unsigned char cParam2;
  unsigned char cParam3;
  unsigned char cPart[6]; /* per-part bytes of the six parts */
  int lParam4;
  int lKeyA; /* song-file reference, first part */
} QM3RhythmData;

typedef struct QM3RhythmGroup {
  unsigned char cCount;
  QM3RhythmData* pRhythm;
  const char* pszName;
} QM3RhythmGroup;

/* Process 9. */
typedef struct QM3RhythmGroupList {
  unsigned char cCount; /* at most 255 groups */
  QM3RhythmGroup* pGroup;
} QM3RhythmGroupList;

/* One melody (process 10, process 42 user-added list). The lists give the
 * section lengths in measures for the bright and the dark mood. */
typedef struct QM3MelodyData {
  const char* pszName;
  int lID;
  int lBeats;
  int lBrightCount;
  int* plBright;
  int lDarkCount;
  int* plDark;
} QM3MelodyData;

/* Process 10 and process 42. */
typedef struct QM3MelodyList {
  unsigned char cCount;
  QM3MelodyData* pMelody;
} QM3MelodyList;

/* Process 43. */
typedef struct QM3RhythmList {
  unsigned char cCount;
  QM3RhythmData* pRhythm;
} QM3RhythmList;

/* Fixed choice lists: intro (40), ending (41), start phrase (46). */
typedef struct QM3ChoiceData {
  const char* pszName;
  int lValue;
  int lFlag; /* always 1 */
} QM3ChoiceData;

typedef struct QM3ChoiceList {
  unsigned char cCount;
  QM3ChoiceData* pChoice;
} QM3ChoiceList;

/* ---- Phrase list (process 1) ------------------------------------------- */

/* One section of the song, in song order. The name is zero-terminated
 * Shift-JIS of at most 11 bytes ("ｲﾝﾄﾛ1", "ﾌﾚｰｽﾞA-1", "ﾌﾚｰｽﾞ1", "ｴﾝﾃﾞｨﾝｸﾞ1"). */
typedef struct QM3SongPhrase {
  char szName[12];
  int nLength;            /* beats (quarter notes); ticks = beats * 96 */
  signed char cKind;      /* 0 intro, 1 ending, 2 body phrase */
  signed char cVariation; /* body: rhythm variation 0..3; intro/ending: its number 0..3 */
  signed char cFillIn;    /* fill-in of the last measure: 0 fill-in 1, 1 fill-in 2, 2 none */
  signed char cReserved;
  int nParts; /* bit 0 melody, 1..3 accompaniment 1..3, 4 bass, 5 drums; clear = muted */
} QM3SongPhrase;

/* The song's phrase list, returned by process 1 in the first result. Owned by
 * the middleware; valid until the next call that changes the song. */
typedef struct QM3PhraseList {
  int nCount;
  const QM3SongPhrase* pPhrases;
} QM3PhraseList;

/* ---- Sound group lists (process 11) -------------------------------------- */
/* The voices a part's sound (0x4104 + 4 * (part - 1)) can take, by category:
 * the module's own voices, or the General MIDI voices and drum kits, as the
 * open file uses. lID = category * 256 + position. Native names are 16
 * characters, space-filled. Owned by the middleware; valid until the library
 * is unloaded (0x800B says which list is current). */
typedef struct QM3SoundData {
  const char* pszName;
  int lID;
} QM3SoundData;

typedef struct QM3SoundGroup {
  unsigned char cCount;
  QM3SoundData* pSound;
  const char* pszName;
} QM3SoundGroup;

typedef struct QM3SoundGroupList {
  unsigned char cCount;
  QM3SoundGroup* pGroup;
} QM3SoundGroupList;

/* Process 8 (SMF time line): a = pointer to the records, b = their byte
 * count. A record is a variable-length delta in ticks (from the previous
 * record), the part index 0..15 and the loudness 1..127, one per sounding
 * note. Valid until the next file is opened or undo re-reads the file. */

/* ---- Live run recording (process 47) --------------------------------- */
/* One entry per recorded measure of the last live run on the real-time
 * window: the section (1..4 intro, 5..8 ending, 9..10 fill-in 1 and 2,
 * 11..14 variation 1..4) and the variation index 0..3. Owned by the
 * middleware; valid until the next run starts or the window is entered. */
typedef struct QM3LiveRecording {
  int nCount;
  const unsigned char* pSections;
  const unsigned char* pVariations;
} QM3LiveRecording;

/* ---- Skipped content files (process 48) ------------------------------- */
/* The phrase and section source files the last song render needed but could
 * not read (missing, unreadable or no Standard MIDI File): their part of the
 * song is silent. Paths are the file system's bytes. Owned by the middleware;
 * valid until the next render. */
typedef struct QM3SkippedFiles {
  int nCount;
  const char* const* ppszPath;
} QM3SkippedFiles;

#ifdef __cplusplus
}
#endif

#endif /* QM3MIDDLE_H */
