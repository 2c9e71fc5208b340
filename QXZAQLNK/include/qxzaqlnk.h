/*
 * qxzaqlnk.h - the exported interface of the ZAQ16 link library QXZAQLNK.
 *
 * Usable from C and C++. Every function returns a 32-bit value: 0 for success,
 * a code 0xE000xxxx for a failure, or the value asked for (-1 = 0xFFFFFFFF when
 * the unit gave no answer).
 *
 * Boards are numbered from 0; every board serves 16 channels; channels are
 * numbered from 1 across the system (board b serves 16 x b + 1 to 16 x b + 16).
 *
 * Records that cross the interface are little-endian. The three query records
 * (ZAQ16_LINK_INFO, ZAQ16_BOARD_INFO, ZAQ16_PHONE_STATUS) and the call-control
 * records are packed. The event record ZAQ16_EVENT is NOT packed: it is eight
 * 32-bit words on a 32-bit build (32 bytes); on a 64-bit build its last field,
 * callRecord, is a pointer at offset 32 (natural alignment, 40 bytes in all).
 *
 * Threads
 * -------
 * Each started unit (and each playback of a dump file) has one reader thread
 * inside the library. Decoding, display timers, the ISDN monitor, playback and
 * the firmware transfer of that unit run on it, and so does the application's
 * callback: QXZAQStartLink(callback) delivers every event by calling it on the
 * reader thread of the board that produced it. Calls are serialised across all
 * boards (one at a time); the ZAQ16_EVENT and its callRecord are valid only
 * during the call. A callback that keeps the library waiting more than 3 s
 * makes the other boards' events time out and be lost ("!!!! Timed Out !!!" in
 * the trace), so hand long work to a thread of your own.
 * With QXZAQStartLink(NULL) events are queued instead; take them with
 * QXZAQGetEvent from any one thread. The queue is unbounded.
 *
 * Every entry may be called from any thread, from several threads at once, and
 * from inside the callback (QXZAQStopLink included: called from the callback
 * it does not wait for the calling reader thread). Commands to
 * one unit are serialised; entries for different units run side by side. Every
 * entry returns within a bound: locks 3 s, Set entries 3 s (the unit's "OK" or
 * "ERROR"), Get entries 0.8 s (-1 without an answer), QXZAQRestart 60 s,
 * QXZAQUploadFirmware 90 s (a second upload to the same board is refused at
 * once), QXZAQStopLink a few seconds per silent unit at most. No C++ exception
 * leaves the library: an unexpected failure returns ZAQ16_RET_FAILED.
 */
#ifndef QXZAQLNK_H
#define QXZAQLNK_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(QXZAQLNK_BUILDING)
#    define QXZAQ_API __declspec(dllexport)
#  else
#    define QXZAQ_API __declspec(dllimport)
#  endif
#  if defined(_WIN64)
#    define QXZAQ_CALL
#  else
#    define QXZAQ_CALL __stdcall
#  endif
#else
#  define QXZAQ_API __attribute__((visibility("default")))
#  define QXZAQ_CALL
#endif

#ifdef __cplusplus
#  define QXZAQ_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
extern "C" {
#else
#  define QXZAQ_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* ---------------------------------------------------------------- return codes */
#define ZAQ16_RET_SUCCESS          0x00000000u
#define ZAQ16_RET_NO_EVENT         0x00000001u /* QXZAQGetEvent: nothing waiting */
#define ZAQ16_RET_RESTART_FAILED   0xE0002004u
#define ZAQ16_RET_FAILED           0xE0002005u
#define ZAQ16_RET_UNIT_ERROR       0xE0002006u /* the unit answered "ERROR" */
#define ZAQ16_RET_BAD_CHANNEL      0xE0002009u
#define ZAQ16_RET_INVALID_PARAM    0xE0002012u
#define ZAQ16_RET_NOT_READY        0xE0002014u
#define ZAQ16_RET_BAD_SIZE         0xE0002121u
#define ZAQ16_RET_PENDING          0xE0002201u
#define ZAQ16_RET_TIMEOUT          0xE0003001u
#define ZAQ16_RET_TRUNCATED        0xE0003002u
#define ZAQ16_RET_FILE_NOT_FOUND   0xE0003003u
#define ZAQ16_NO_ANSWER            0xFFFFFFFFu /* a query the unit did not answer */

/* ------------------------------------------------------------- PBX type codes */
#define ZAQ16_PBX_NORTEL_MERIDIAND       1u
#define ZAQ16_PBX_LUCENT_DEFINITY2D      2u
#define ZAQ16_PBX_LUCENT_DEFINITY4D      3u
#define ZAQ16_PBX_NEC_DTERMIIID          4u
#define ZAQ16_PBX_ALCATEL_4K             5u
#define ZAQ16_PBX_ASPECT_TELESET         6u
#define ZAQ16_PBX_BOSCH_INTEGRAL         7u
#define ZAQ16_PBX_COMDIAL_IMPACT         8u
#define ZAQ16_PBX_ERICSSON_MD110_BASIC   9u
#define ZAQ16_PBX_INTECOM_E              10u
#define ZAQ16_PBX_LUCENT_DEFINITY2       11u
#define ZAQ16_PBX_LUCENT_DEFINITY4       12u
#define ZAQ16_PBX_NEC_DTERMIII           13u
#define ZAQ16_PBX_NITSUKO_ISERIES        14u
#define ZAQ16_PBX_NORTEL_NORSTAR         15u
#define ZAQ16_PBX_NORTEL_MERIDIAN        16u
#define ZAQ16_PBX_SIEMENS_HICOM          17u
#define ZAQ16_PBX_TELRAD_IS2W            18u
#define ZAQ16_PBX_INTERTEL_AXXESS        19u
#define ZAQ16_PBX_SIEMENS_HICOMD         20u
#define ZAQ16_PBX_MERLIN_MAGIXD          21u
#define ZAQ16_PBX_ASPECTD                22u
#define ZAQ16_PBX_NORTEL_NORSTARD        23u
#define ZAQ16_PBX_ERICSSON_MD110         24u
#define ZAQ16_PBX_NEAX2400D              25u
#define ZAQ16_PBX_INTERTEL_AXXESSD       26u
#define ZAQ16_PBX_NEAX2400_IPXD          27u
#define ZAQ16_PBX_NEAX2400_ICSD          28u
#define ZAQ16_PBX_NEAX2000D              29u
#define ZAQ16_PBX_BRID                   30u
#define ZAQ16_PBX_FUJI9600D              31u
#define ZAQ16_PBX_FUJI9600               32u
#define ZAQ16_PBX_MERLIN_MAGIX           33u
#define ZAQ16_PBX_NEAX                   34u
#define ZAQ16_PBX_BRI                    35u
#define ZAQ16_PBX_UNKNOWN                65535u

/* ---------------------------------------------------------- line option values */
#define ZAQ16_BUS_MVIP            1
#define ZAQ16_BUS_SCSA            2
#define ZAQ16_CLOCK_MASTER        0
#define ZAQ16_CLOCK_SLAVE         1
#define ZAQ16_ENCODING_ULAW       0
#define ZAQ16_ENCODING_ALAW       1
#define ZAQ16_OFF                 0 /* RDSP, split, start/stop detect */
#define ZAQ16_ON                  1

#define ZAQ16_CHANNELS_PER_BOARD  16u
#define ZAQ16_MAX_BOARDS          16u

/* ------------------------------------------------------------------ event codes */
/* Call-control events of the ISDN monitor; param is the size of the record at callRecord. */
#define QXEVT_CALL_CONNECTED                         111u
#define QXEVT_CALL_RELEASED                          112u
#define QXEVT_CALL_SUSPENDED                         113u
#define QXEVT_CALL_RESUMED                           114u
#define QXEVT_CALL_HELD                              115u
#define QXEVT_CALL_RETRIEVED                         116u
#define QXEVT_CALL_ABANDONED                         117u
#define QXEVT_CALL_REJECTED                          118u
#define QXEVT_CALL_USER_INFO                         119u
#define QXEVT_CALL_ALERTING                          126u

/* Phone events, 0x1001 to 0x104F. */
#define QXEVT_LIGHT_ON                               0x1001u
#define QXEVT_LIGHT_OFF                              0x1002u
#define QXEVT_LIGHT_FLASHING                         0x1003u
#define QXEVT_ONHOOK                                 0x1004u
#define QXEVT_OFFHOOK                                0x1005u
#define QXEVT_DIGIT_PRESSED                          0x1006u
#define QXEVT_DIGIT_RELEASED                         0x1007u
#define QXEVT_MESSAGE_CHANGE                         0x1008u
#define QXEVT_STARTSTOP_ON                           0x1009u
#define QXEVT_STARTSTOP_OFF                          0x100Au
#define QXEVT_LIGHT_FASTFLASHING                     0x100Bu
#define QXEVT_DOWNLOAD_STATUS                        0x100Cu
#define QXEVT_FINISHED_PLAY                          0x100Du
#define QXEVT_FUNCTION_BUTTON_PRESSED                0x100Eu
#define QXEVT_FUNCTION_BUTTON_RELEASED               0x100Fu
#define QXEVT_HOLD_BUTTON_PRESSED                    0x1010u
#define QXEVT_HOLD_BUTTON_RELEASED                   0x1011u
#define QXEVT_RELEASE_BUTTON_PRESSED                 0x1012u
#define QXEVT_RELEASE_BUTTON_RELEASED                0x1013u
#define QXEVT_TRANSFER_BUTTON_PRESSED                0x1014u
#define QXEVT_ANSWER_BUTTON_PRESSED                  0x1015u
#define QXEVT_SPEAKER_BUTTON_PRESSED                 0x1016u
#define QXEVT_REDIAL_BUTTON_PRESSED                  0x1017u
#define QXEVT_CONF_BUTTON_PRESSED                    0x1018u
#define QXEVT_RECALL_BUTTON_PRESSED                  0x1019u
#define QXEVT_FEATURE_BUTTON_PRESSED                 0x101Au
#define QXEVT_UP_DOWN                                0x101Bu
#define QXEVT_EXIT_BUTTON_PRESSED                    0x101Cu
#define QXEVT_HELP_BUTTON_PRESSED                    0x101Du
#define QXEVT_SOFT_BUTTON_PRESSED                    0x101Eu
#define QXEVT_RING_ON                                0x101Fu
#define QXEVT_RING_OFF                               0x1020u
#define QXEVT_LINE_BUTTON_PRESSED                    0x1021u
#define QXEVT_MENU_BUTTON_PRESSED                    0x1022u
#define QXEVT_PREVIOUS_BUTTON_PRESSED                0x1023u
#define QXEVT_NEXT_BUTTON_PRESSED                    0x1024u
#define QXEVT_LIGHT_QUICKFLASH                       0x1025u
#define QXEVT_AUDIO_ON                               0x1026u
#define QXEVT_AUDIO_OFF                              0x1027u
#define QXEVT_DISPLAY_CLOCK                          0x1028u
#define QXEVT_DISPLAY_TIMER                          0x1029u
#define QXEVT_DISPLAY_CLEAR                          0x102Au
#define QXEVT_CFWD                                   0x102Bu
#define QXEVT_CFWD_CANCELED                          0x102Cu
#define QXEVT_AUTO_ANSWER                            0x102Du
#define QXEVT_AUTO_ANSWER_CANCELED                   0x102Eu
#define QXEVT_SET_BUSY                               0x102Fu
#define QXEVT_SET_BUSY_CANCELED                      0x1030u
#define QXEVT_DESTINATION_BUSY                       0x1031u
#define QXEVT_REORDER                                0x1032u
#define QXEVT_LIGHT_VERY_FASTFLASHING                0x1033u
#define QXEVT_SPEAKER_BUTTON_RELEASED                0x1034u
#define QXEVT_REDIAL_BUTTON_RELEASED                 0x1035u
#define QXEVT_TRANSFER_BUTTON_RELEASED               0x1036u
#define QXEVT_CONF_BUTTON_RELEASED                   0x1037u
#define QXEVT_DISCONNECTED                           0x1038u
#define QXEVT_CONNECTED                              0x1039u
#define QXEVT_ABANDONED                              0x103Au
#define QXEVT_SUSPENDED                              0x103Bu
#define QXEVT_RESUMED                                0x103Cu
#define QXEVT_HELD                                   0x103Du
#define QXEVT_RETRIEVED                              0x103Eu
#define QXEVT_REJECTED                               0x103Fu
#define QXEVT_MESSAGE_BUTTON_PRESSED                 0x1040u
#define QXEVT_MESSAGE_BUTTON_RELEASED                0x1041u
#define QXEVT_SUPERVISOR_BUTTON_PRESSED              0x1042u
#define QXEVT_SUPERVISOR_BUTTON_RELEASED             0x1043u
#define QXEVT_WRAPUP_BUTTON_PRESSED                  0x1044u
#define QXEVT_WRAPUP_BUTTON_RELEASED                 0x1045u
#define QXEVT_READY_BUTTON_PRESSED                   0x1046u
#define QXEVT_READY_BUTTON_RELEASED                  0x1047u
#define QXEVT_LOGON_BUTTON_PRESSED                   0x1048u
#define QXEVT_BREAK_BUTTON_PRESSED                   0x1049u
#define QXEVT_AUDIO_CHANGE                           0x104Au
#define QXEVT_DISPLAY_MESSAGE                        0x104Bu
#define QXEVT_WORK_BUTTON_PRESSED                    0x104Cu
#define QXEVT_TALLY_BUTTON_PRESSED                   0x104Du
#define QXEVT_PROGRAM_BUTTON_PRESSED                 0x104Eu
#define QXEVT_MUTE_BUTTON_PRESSED                    0x104Fu

/* Named-lamp events: 0x1060 + 8 x kind + state (state OFF comes before ON here). */
#define QXEVT_NAMED_LAMP_BASE                        0x1060u
#define QXEVT_LINE_LIGHT_OFF                         0x1060u
#define QXEVT_LINE_LIGHT_ON                          0x1061u
#define QXEVT_LINE_LIGHT_FLASHING                    0x1062u
#define QXEVT_LINE_LIGHT_FASTFLASHING                0x1063u
#define QXEVT_LINE_LIGHT_VERY_FASTFLASHING           0x1064u
#define QXEVT_LINE_LIGHT_QUICKFLASH                  0x1065u
#define QXEVT_FEATURE_LIGHT_OFF                      0x1068u
#define QXEVT_FEATURE_LIGHT_ON                       0x1069u
#define QXEVT_FEATURE_LIGHT_FLASHING                 0x106Au
#define QXEVT_FEATURE_LIGHT_FASTFLASHING             0x106Bu
#define QXEVT_FEATURE_LIGHT_VERY_FASTFLASHING        0x106Cu
#define QXEVT_FEATURE_LIGHT_QUICKFLASH               0x106Du
#define QXEVT_SPEAKER_LIGHT_OFF                      0x1070u
#define QXEVT_SPEAKER_LIGHT_ON                       0x1071u
#define QXEVT_SPEAKER_LIGHT_FLASHING                 0x1072u
#define QXEVT_SPEAKER_LIGHT_FASTFLASHING             0x1073u
#define QXEVT_SPEAKER_LIGHT_VERY_FASTFLASHING        0x1074u
#define QXEVT_SPEAKER_LIGHT_QUICKFLASH               0x1075u
#define QXEVT_MIC_LIGHT_OFF                          0x1078u
#define QXEVT_MIC_LIGHT_ON                           0x1079u
#define QXEVT_MIC_LIGHT_FLASHING                     0x107Au
#define QXEVT_MIC_LIGHT_FASTFLASHING                 0x107Bu
#define QXEVT_MIC_LIGHT_VERY_FASTFLASHING            0x107Cu
#define QXEVT_MIC_LIGHT_QUICKFLASH                   0x107Du
#define QXEVT_HOLD_LIGHT_OFF                         0x1080u
#define QXEVT_HOLD_LIGHT_ON                          0x1081u
#define QXEVT_HOLD_LIGHT_FLASHING                    0x1082u
#define QXEVT_HOLD_LIGHT_FASTFLASHING                0x1083u
#define QXEVT_HOLD_LIGHT_VERY_FASTFLASHING           0x1084u
#define QXEVT_HOLD_LIGHT_QUICKFLASH                  0x1085u
#define QXEVT_RELEASE_LIGHT_OFF                      0x1088u
#define QXEVT_RELEASE_LIGHT_ON                       0x1089u
#define QXEVT_RELEASE_LIGHT_FLASHING                 0x108Au
#define QXEVT_RELEASE_LIGHT_FASTFLASHING             0x108Bu
#define QXEVT_RELEASE_LIGHT_VERY_FASTFLASHING        0x108Cu
#define QXEVT_RELEASE_LIGHT_QUICKFLASH               0x108Du
#define QXEVT_HELP_LIGHT_OFF                         0x1090u
#define QXEVT_HELP_LIGHT_ON                          0x1091u
#define QXEVT_HELP_LIGHT_FLASHING                    0x1092u
#define QXEVT_HELP_LIGHT_FASTFLASHING                0x1093u
#define QXEVT_HELP_LIGHT_VERY_FASTFLASHING           0x1094u
#define QXEVT_HELP_LIGHT_QUICKFLASH                  0x1095u
#define QXEVT_SUPERVISOR_LIGHT_OFF                   0x1098u
#define QXEVT_SUPERVISOR_LIGHT_ON                    0x1099u
#define QXEVT_SUPERVISOR_LIGHT_FLASHING              0x109Au
#define QXEVT_SUPERVISOR_LIGHT_FASTFLASHING          0x109Bu
#define QXEVT_SUPERVISOR_LIGHT_VERY_FASTFLASHING     0x109Cu
#define QXEVT_SUPERVISOR_LIGHT_QUICKFLASH            0x109Du
#define QXEVT_READY_LIGHT_OFF                        0x10A0u
#define QXEVT_READY_LIGHT_ON                         0x10A1u
#define QXEVT_READY_LIGHT_FLASHING                   0x10A2u
#define QXEVT_READY_LIGHT_FASTFLASHING               0x10A3u
#define QXEVT_READY_LIGHT_VERY_FASTFLASHING          0x10A4u
#define QXEVT_READY_LIGHT_QUICKFLASH                 0x10A5u
#define QXEVT_LOGON_LIGHT_OFF                        0x10A8u
#define QXEVT_LOGON_LIGHT_ON                         0x10A9u
#define QXEVT_LOGON_LIGHT_FLASHING                   0x10AAu
#define QXEVT_LOGON_LIGHT_FASTFLASHING               0x10ABu
#define QXEVT_LOGON_LIGHT_VERY_FASTFLASHING          0x10ACu
#define QXEVT_LOGON_LIGHT_QUICKFLASH                 0x10ADu
#define QXEVT_WRAPUP_LIGHT_OFF                       0x10B0u
#define QXEVT_WRAPUP_LIGHT_ON                        0x10B1u
#define QXEVT_WRAPUP_LIGHT_FLASHING                  0x10B2u
#define QXEVT_WRAPUP_LIGHT_FASTFLASHING              0x10B3u
#define QXEVT_WRAPUP_LIGHT_VERY_FASTFLASHING         0x10B4u
#define QXEVT_WRAPUP_LIGHT_QUICKFLASH                0x10B5u
#define QXEVT_RING_LIGHT_OFF                         0x10B8u
#define QXEVT_RING_LIGHT_ON                          0x10B9u
#define QXEVT_RING_LIGHT_FLASHING                    0x10BAu
#define QXEVT_RING_LIGHT_FASTFLASHING                0x10BBu
#define QXEVT_RING_LIGHT_VERY_FASTFLASHING           0x10BCu
#define QXEVT_RING_LIGHT_QUICKFLASH                  0x10BDu
#define QXEVT_ANSWER_LIGHT_OFF                       0x10C0u
#define QXEVT_ANSWER_LIGHT_ON                        0x10C1u
#define QXEVT_ANSWER_LIGHT_FLASHING                  0x10C2u
#define QXEVT_ANSWER_LIGHT_FASTFLASHING              0x10C3u
#define QXEVT_ANSWER_LIGHT_VERY_FASTFLASHING         0x10C4u
#define QXEVT_ANSWER_LIGHT_QUICKFLASH                0x10C5u
#define QXEVT_PROGRAM_LIGHT_OFF                      0x10C8u
#define QXEVT_PROGRAM_LIGHT_ON                       0x10C9u
#define QXEVT_PROGRAM_LIGHT_FLASHING                 0x10CAu
#define QXEVT_PROGRAM_LIGHT_FASTFLASHING             0x10CBu
#define QXEVT_PROGRAM_LIGHT_VERY_FASTFLASHING        0x10CCu
#define QXEVT_PROGRAM_LIGHT_QUICKFLASH               0x10CDu
#define QXEVT_MESSAGE_LIGHT_OFF                      0x10D0u
#define QXEVT_MESSAGE_LIGHT_ON                       0x10D1u
#define QXEVT_MESSAGE_LIGHT_FLASHING                 0x10D2u
#define QXEVT_MESSAGE_LIGHT_FASTFLASHING             0x10D3u
#define QXEVT_MESSAGE_LIGHT_VERY_FASTFLASHING        0x10D4u
#define QXEVT_MESSAGE_LIGHT_QUICKFLASH               0x10D5u
#define QXEVT_TRANSFER_LIGHT_OFF                     0x10D8u
#define QXEVT_TRANSFER_LIGHT_ON                      0x10D9u
#define QXEVT_TRANSFER_LIGHT_FLASHING                0x10DAu
#define QXEVT_TRANSFER_LIGHT_FASTFLASHING            0x10DBu
#define QXEVT_TRANSFER_LIGHT_VERY_FASTFLASHING       0x10DCu
#define QXEVT_TRANSFER_LIGHT_QUICKFLASH              0x10DDu
#define QXEVT_CONFERENCE_LIGHT_OFF                   0x10E0u
#define QXEVT_CONFERENCE_LIGHT_ON                    0x10E1u
#define QXEVT_CONFERENCE_LIGHT_FLASHING              0x10E2u
#define QXEVT_CONFERENCE_LIGHT_FASTFLASHING          0x10E3u
#define QXEVT_CONFERENCE_LIGHT_VERY_FASTFLASHING     0x10E4u
#define QXEVT_CONFERENCE_LIGHT_QUICKFLASH            0x10E5u
#define QXEVT_SOFT_LIGHT_OFF                         0x10E8u
#define QXEVT_SOFT_LIGHT_ON                          0x10E9u
#define QXEVT_SOFT_LIGHT_FLASHING                    0x10EAu
#define QXEVT_SOFT_LIGHT_FASTFLASHING                0x10EBu
#define QXEVT_SOFT_LIGHT_VERY_FASTFLASHING           0x10ECu
#define QXEVT_SOFT_LIGHT_QUICKFLASH                  0x10EDu
#define QXEVT_MENU_LIGHT_OFF                         0x10F0u
#define QXEVT_MENU_LIGHT_ON                          0x10F1u
#define QXEVT_MENU_LIGHT_FLASHING                    0x10F2u
#define QXEVT_MENU_LIGHT_FASTFLASHING                0x10F3u
#define QXEVT_MENU_LIGHT_VERY_FASTFLASHING           0x10F4u
#define QXEVT_MENU_LIGHT_QUICKFLASH                  0x10F5u
#define QXEVT_CALLWAITING_LIGHT_OFF                  0x10F8u
#define QXEVT_CALLWAITING_LIGHT_ON                   0x10F9u
#define QXEVT_CALLWAITING_LIGHT_FLASHING             0x10FAu
#define QXEVT_CALLWAITING_LIGHT_FASTFLASHING         0x10FBu
#define QXEVT_CALLWAITING_LIGHT_VERY_FASTFLASHING    0x10FCu
#define QXEVT_CALLWAITING_LIGHT_QUICKFLASH           0x10FDu
#define QXEVT_LAST_CODE                              0x10FDu

/* Lamp parameter bits of the QXEVT_LIGHT_ codes. */
#define QXEVT_LAMP_NUMBER_MASK   0x00FFu
#define QXEVT_LAMP_GREEN         0x0100u
#define QXEVT_LAMP_RED           0x0200u

/* Audio paths of QXEVT_AUDIO_ON / QXEVT_AUDIO_OFF. */
#define QXEVT_AUDIO_HANDSET          1u
#define QXEVT_AUDIO_HANDSFREE        2u
#define QXEVT_AUDIO_HANDSET_RECEIVER 3u
#define QXEVT_AUDIO_SPEAKER_MONITOR  4u

/* ----------------------------------------------------------------- event record */
typedef struct ZAQ16_EVENT {
    uint32_t reserved0;
    uint32_t timeStamp;  /* tick count (ms since system start) at delivery */
    uint32_t eventCode;  /* a QXEVT_ code */
    uint32_t param;
    uint32_t board;      /* 0-based */
    uint32_t channel;    /* 1-based system channel */
    uint32_t reserved6;
    void*    callRecord; /* call-control events 111 to 126 only, valid during the callback */
} ZAQ16_EVENT;

#if UINTPTR_MAX == 0xFFFFFFFFu
QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_EVENT) == 32, "ZAQ16_EVENT is eight 32-bit words");
#else
QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_EVENT) == 40, "ZAQ16_EVENT: callRecord pointer at offset 32");
QXZAQ_STATIC_ASSERT(offsetof(ZAQ16_EVENT, callRecord) == 32, "callRecord at offset 32");
#endif

/* The application's event routine; its result is handed back to the producer. */
typedef uint32_t (QXZAQ_CALL *QXZAQEventCallback)(ZAQ16_EVENT* event);

/* ---------------------------------------------------------------- query records */
#pragma pack(push, 1)

typedef struct ZAQ16_LINK_INFO {
    uint16_t size;          /* caller sets 10 */
    uint32_t boards;
    uint32_t channels;
} ZAQ16_LINK_INFO;

typedef struct ZAQ16_BOARD_INFO {
    uint16_t size;          /* caller sets 46 */
    uint32_t pbxType;
    char     devicePath[20]; /* "\\.\" + port name, zero-terminated */
    uint32_t startChannel;
    uint32_t hardwareVersion;
    uint32_t firmwareMajor;
    uint32_t firmwareMinor;
    uint32_t firmwareBuild;
} ZAQ16_BOARD_INFO;

#define ZAQ16_LAMP_ENTRIES 510

typedef struct ZAQ16_LAMP_STATE {
    uint32_t state;         /* lamp event code of the last state seen */
    uint32_t param;
} ZAQ16_LAMP_STATE;

/* One per channel; every word holds the event code of the last state seen, 0 when none. */
typedef struct ZAQ16_PHONE_STATUS {
    uint32_t hookState;                        /* QXEVT_ONHOOK / QXEVT_OFFHOOK */
    uint32_t ringState;                        /* QXEVT_RING_ON / QXEVT_RING_OFF */
    ZAQ16_LAMP_STATE lamps[ZAQ16_LAMP_ENTRIES];
    uint32_t displayState;
    uint32_t callForwardState;
    uint32_t autoAnswerState;
    uint32_t setBusyState;
    uint32_t handsetAudio;                     /* path 1 */
    uint32_t speakerMonitorAudio;              /* path 4 */
    uint32_t handsfreeAudio;                   /* path 2 */
    uint32_t handsetReceiverAudio;             /* path 3 */
} ZAQ16_PHONE_STATUS;

/* Call-control records of the ISDN monitor. */
typedef struct ZAQ16_PARTY_NUMBER {
    uint32_t typeOfNumber;
    uint32_t numberingPlan;
    uint32_t digitCount;                       /* 0 to 32 */
    char     digits[32];                       /* zero-terminated when shorter than 32 */
} ZAQ16_PARTY_NUMBER;

typedef struct ZAQ16_SUBADDRESS {
    uint32_t byteCount;                        /* 0 to 20 */
    uint32_t typeOfSubaddress;
    uint32_t oddEven;
    uint8_t  bytes[20];
} ZAQ16_SUBADDRESS;

typedef struct ZAQ16_CALL_STATUS {
    uint32_t callRef;
    uint32_t direction;                        /* 1 incoming, 2 outgoing */
    uint32_t callState;
    uint32_t line;
    uint32_t duration;
    uint32_t layer1Coding;
    uint32_t cause;
    uint32_t reserved7;
    uint32_t interfaceId;
    uint32_t bChannel;
    ZAQ16_PARTY_NUMBER callingNumber;
    ZAQ16_SUBADDRESS   callingSubaddress;
    ZAQ16_PARTY_NUMBER calledNumber;
    ZAQ16_SUBADDRESS   calledSubaddress;
    ZAQ16_PARTY_NUMBER connectedNumber;
    ZAQ16_SUBADDRESS   connectedSubaddress;
    ZAQ16_PARTY_NUMBER redirectingNumber;
    uint32_t reserved78[5];
} ZAQ16_CALL_STATUS;

typedef struct ZAQ16_CALL_USER_INFO {
    uint32_t callRef;
    uint32_t source;                           /* 1 sent by the CO, 2 by the CPE */
    uint32_t infoType;                         /* 100 display, 105 user-user, 107 keypad */
    uint32_t infoFlags;
    uint32_t byteCount;
    uint8_t  bytes[260];
} ZAQ16_CALL_USER_INFO;

typedef struct ZAQ16_CALL_STATISTICS {
    uint32_t incomingCalls;
    uint32_t incomingConnected;
    uint32_t incomingStatus;
    uint32_t outgoingCalls;
    uint32_t outgoingConnected;
    uint32_t outgoingStatus;
} ZAQ16_CALL_STATISTICS;

#pragma pack(pop)

QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_LINK_INFO) == 10, "ZAQ16_LINK_INFO is 10 bytes");
QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_BOARD_INFO) == 46, "ZAQ16_BOARD_INFO is 46 bytes");
QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_PHONE_STATUS) == 4120, "ZAQ16_PHONE_STATUS is 4120 bytes");
QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_PARTY_NUMBER) == 44, "party number record is 44 bytes");
QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_SUBADDRESS) == 32, "subaddress record is 32 bytes");
QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_CALL_STATUS) == 332, "call status record is 332 bytes");
QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_CALL_USER_INFO) == 280, "user information record is 280 bytes");
QXZAQ_STATIC_ASSERT(sizeof(ZAQ16_CALL_STATISTICS) == 24, "statistics record is 24 bytes");

/* ------------------------------------------------------------ exported functions */
/* Link start-up and board table. */
QXZAQ_API uint32_t QXZAQ_CALL QXZAQStartLink(QXZAQEventCallback callback);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQStopLink(void);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQRestart(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetLinkInfo(ZAQ16_LINK_INFO* info);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetBoardInfo(uint32_t board, ZAQ16_BOARD_INFO* info);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetPBXType(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetTraceLevel(int32_t level);

/* Events, D-channel forwarding and display text. */
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetEvent(uint32_t* reserved, uint32_t* timeStamp, uint32_t* eventCode,
                                            uint32_t* param, uint32_t* board, uint32_t* channel);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQEnableEventUpdates(void);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQDisableEventUpdates(void);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQEnableDChEvents(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQDisableDChEvents(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetMessage(uint32_t channel, char* buffer, uint32_t size);

/* Line options: Set entries return a status; Get entries the value, or -1 without an answer. */
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetBusType(uint32_t board, int32_t type);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetBusType(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetClockType(uint32_t board, int32_t type);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetClockType(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetEncodingType(uint32_t board, int32_t type);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetEncodingType(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetRDSPType(uint32_t board, int32_t type);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetRDSPType(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetSplitType(uint32_t board, int32_t type);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetSplitType(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetStartStopDetect(uint32_t board, int32_t type);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetStartStopDetect(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetStream(uint32_t board, int32_t value);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetStream(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetSlots(uint32_t board, int32_t value);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetSlots(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetStartStopMin(uint32_t board, int32_t value);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetStartStopMin(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetStartStopMax(uint32_t board, int32_t value);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetStartStopMax(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetVOXStartStopOn(uint32_t board, int32_t value);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetVOXStartStopOn(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetVOXStartStopOff(uint32_t board, int32_t value);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetVOXStartStopOff(uint32_t board);
/* A mask text has at most 9 characters; Get copies it (with its terminator, 10 bytes at most)
   and returns its first character, 0 when the unit gave none. */
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetLightMask0(uint32_t board, const char* mask);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetLightMask0(uint32_t board, char* buffer);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetLightMask1(uint32_t board, const char* mask);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetLightMask1(uint32_t board, char* buffer);
/* PBX level 0 to 255. */
QXZAQ_API uint32_t QXZAQ_CALL QXZAQSetPBXLevel(uint32_t board, int32_t level);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetPBXLevel(uint32_t board);

/* Unit status. */
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetSerialNumber(uint32_t board, uint32_t* serial);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetDChannelStatus(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetPhoneLevels(uint32_t board, uint8_t levels[16]);
/* counters: 16 words (64 bytes): phone errors, PBX errors, phone and PBX error rates, one byte per line. */
QXZAQ_API uint32_t QXZAQ_CALL QXZAQCheckErrors(uint32_t board, uint32_t counters[16]);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQClearErrors(uint32_t board);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetPBXDate_Time(uint32_t board, uint32_t* year, uint32_t* month, uint32_t* day,
                                                   uint32_t* hour, uint32_t* minute, uint32_t* second);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQGetPhoneStatus(uint32_t channel, ZAQ16_PHONE_STATUS* status);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQ_CC_GetStatusByCh(uint32_t channel, void* record, uint32_t* size);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQ_CC_GetStatusByRef(uint32_t board, uint32_t callRef, void* record, uint32_t* size);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQ_CC_GetStatistics(uint32_t board, uint16_t channel, void* statistics, uint32_t* size);

/* D-channel record and playback. A null file stops recording / playback.
   timeMode: 0 as fast as possible, > 0 that many ms before each record, -1 the recorded gaps. */
QXZAQ_API uint32_t QXZAQ_CALL QXZAQRecordDChannelEvents(const char* file);
QXZAQ_API uint32_t QXZAQ_CALL PlayDChannelEvents(const char* file, int32_t timeMode);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQPlayDChannelEvents(const char* file);
QXZAQ_API uint32_t QXZAQ_CALL QXZAQPlayDChannelEventsTime(const char* file, int32_t timeMode);

/* Firmware upload (XMODEM-CRC); progress arrives as QXEVT_DOWNLOAD_STATUS events. */
QXZAQ_API uint32_t QXZAQ_CALL QXZAQUploadFirmware(uint32_t board, const char* file);

#ifdef __cplusplus
}
#endif

#endif /* QXZAQLNK_H */
