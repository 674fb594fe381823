// KesSDK: the imaging-module library.
//
// The library speaks the imaging engine's serial protocol. It knows nothing of the platform: the
// host hands it callback tables (a serial port, a lock, progress sinks, an input stream) and the
// library calls back through them. Every entry point is a plain function; nothing throws across
// this boundary; the outcome of each call is left as the calling thread's last status, read with
// KesGetLastStatus().
//
// Handles
//   A handle is the address of a library object, an intptr-sized value. -1 (KES_INVALID_HANDLE)
//   is the invalid handle and 0 is "none". Creation entry points return -1 on failure, never 0.
//   Every entry point that takes a handle checks it first:
//     - -1 sets KES_STATE_INVALID_PARAMETER and is then treated as none;
//     - none (0) makes the call do nothing and return its failure value, leaving the status alone
//       (after the -1 rule above);
//     - a handle of the wrong kind, a closed handle or any other value that is not a live object
//       of this library sets KES_STATE_INVALID_HANDLE_VALUE and returns the failure value.
//   A call that gets past its handle checks first resets the thread's status to success, so the
//   status read afterwards belongs to that call alone.
//
// Ownership
//   Every object lives from its creation entry point to KesCloseHandle. The library never closes a
//   handle it was given: a module does not own its serial port, an operation does not own its
//   progress sink or input stream. The host closes a module before the serial port it was opened
//   on, and uninstalls a lock (KesUseCriticalSection(0)) before closing it. Texts returned by the
//   library (KesGetFirmwareVersion, KesGetModelName) belong to the module and stay valid until it
//   is closed.
//
// Threads
//   Several host threads may use the library at once; each sees its own last status once a lock
//   has been installed with KesUseCriticalSection (before that, one process-wide status is
//   shared). Install the lock once at start-up, before any second thread calls the library.
//   The lock guards only the status store. Module objects are not locked: one module handle is
//   used by one thread at a time, except KesCancel, which any thread may call while a transfer
//   runs. The callbacks run on the thread that made the call that uses them.
//
// Callbacks
//   Callbacks must not throw. A serial callback reports failure only by setting the calling
//   thread's last status (KesSetLastStatus) and returning 0; the library checks the status after
//   each call.
#pragma once

#include <cstdint>

#include "module/kes_state.h"

extern "C" {

typedef std::intptr_t KesHandle;
#define KES_INVALID_HANDLE (static_cast<KesHandle>(-1))

// Serial-port callbacks. is-open returns non-zero when the port is open; read returns the number
// of bytes read; wait-for-data blocks up to timeoutMs and returns the number of bytes queued.
typedef int (*KesIsOpenCallback)(void* context);
typedef std::uint32_t (*KesReadCallback)(void* context, void* buffer, std::uint32_t count);
typedef std::uint32_t (*KesWaitForDataCallback)(void* context, std::uint32_t timeoutMs);
typedef void (*KesWriteCallback)(void* context, const void* data, std::uint32_t count);
typedef void (*KesSleepCallback)(void* context, std::uint32_t ms);
// Callbacks that take only the context: flush, high speed, restore speed, enter, leave.
typedef void (*KesActionCallback)(void* context);
// The calling thread's id, for the status store.
typedef std::uint32_t (*KesThreadIdCallback)(void* context);
// Progress callbacks.
typedef void (*KesRangeCallback)(void* context, std::int32_t low, std::int32_t high);
typedef void (*KesPositionCallback)(void* context, std::int32_t position);
typedef void (*KesFlagCallback)(void* context, std::int32_t flag);

// --- Creation of host-side objects; each returns a handle or -1 (status set). ---

// The serial port a module talks through. All callbacks except highSpeed and restoreSpeed are
// required; missing ones fail with KES_STATE_INVALID_PARAMETER.
KesHandle KesCreateSerialPort(void* context, KesIsOpenCallback isOpen, KesReadCallback read,
                              KesWaitForDataCallback waitForData, KesWriteCallback write,
                              KesActionCallback flush, KesSleepCallback sleep,
                              KesActionCallback highSpeed, KesActionCallback restoreSpeed);

// The lock of the status store. All three callbacks are required.
KesHandle KesCreateCriticalSection(void* context, KesThreadIdCallback getThreadId,
                                   KesActionCallback enter, KesActionCallback leave);

// Installs the lock (0: none, back to one process-wide status) and empties the status store.
void KesUseCriticalSection(KesHandle criticalSection);

// A byte source for firmware download; read is required and returns the number of bytes read.
KesHandle KesCreateInputStream(void* context, KesReadCallback read);

// Capture progress: transfer range and position and begin-transfer are required, the two wait
// callbacks (trigger countdown) may be null.
KesHandle KesCreateShootProgress(void* context, KesRangeCallback setTransferRange,
                                 KesPositionCallback setTransferPosition,
                                 KesRangeCallback setWaitRange, KesPositionCallback setWaitPosition,
                                 KesFlagCallback beginTransfer);
KesHandle KesCreateShootProgressSimple(void* context, KesRangeCallback setTransferRange,
                                       KesPositionCallback setTransferPosition,
                                       KesFlagCallback beginTransfer);

// Firmware download progress: all five callbacks are required.
KesHandle KesCreateDownloadProgress(void* context, KesRangeCallback setTransferRange,
                                    KesPositionCallback setTransferPosition,
                                    KesRangeCallback setWriteRange,
                                    KesPositionCallback setWritePosition,
                                    KesFlagCallback beginPhase);

// Destroys any library object. 0 is ignored.
void KesCloseHandle(KesHandle handle);

// --- Status ---

// The calling thread's last status (0 when none is stored).
KesState KesGetLastStatus(void);
void KesSetLastStatus(KesState state);

// --- Modules ---

// Identifies the engine behind the serial port and returns a module of its family, or -1 with the
// reason in the last status. A -1 with status 0 means the engine answered with a model and
// version that no family fits. An engine that does not answer within 5000 ms gives a module that
// can only download firmware. Blocks for the exchange; call from a worker or with the receive
// thread stopped.
KesHandle KesOpenModule(KesHandle serialPort);

// The firmware version and model texts stored by identification (zero-terminated, possibly
// empty), or null for a bad handle.
const char* KesGetFirmwareVersion(KesHandle module);
const char* KesGetModelName(KesHandle module);

// The name of the module's family ("EngineA", "EngineAD", "EngineB", "EngineC", "EngineL",
// "EngineAInvalid"), or null for a bad handle. For diagnostics and the host's choice of features.
const char* KesGetModuleClassName(KesHandle module);

// Sends ESC, the text, CR. A text of 1023 bytes or more is refused with
// KES_STATE_TOO_LONG_SEND_COMMAND and nothing is written. No reply is awaited.
void KesSendCommand(KesHandle module, const char* text, std::uint32_t length);

// Asks the transfer running on the module to stop. Safe from any thread.
void KesCancel(KesHandle module);

// Image capture, image output settings, sending an image and firmware download. Families that
// cannot do an operation answer KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE without sending anything.
KesHandle KesShoot(KesHandle module, KesHandle shootProgress);
KesHandle KesShootWithMode(KesHandle module, std::int32_t kind, std::int32_t seconds,
                           KesHandle shootProgress);
KesHandle KesShootWithCommand(KesHandle module, std::int32_t request, KesHandle shootProgress);
KesHandle KesSendImage(KesHandle module, const void* data, std::int32_t ignored,
                       std::int32_t request, std::int32_t width, std::int32_t lines,
                       std::int32_t bitsPerPixel, KesHandle shootProgress);
KesHandle KesGetImageOutputProperty(KesHandle module);
void KesSetImageOutputProperty(KesHandle module, KesHandle property);
void KesDownload(KesHandle module, KesHandle inputStream, std::uint32_t fileSize,
                 std::int32_t bootLoader, KesHandle downloadProgress);

// =============================================================================================
// Firmware download
//
// The host picks the firmware file by the engine's firmware family, then calls KesDownload with
// an input stream over the file. The module sends it with the protocol of its family, reporting
// progress through the download-progress callbacks in this order: transfer range, transfer
// position, write range, write position, begin-phase (1 while blocks are sent, 0 afterwards).
// KesCancel stops a running download: the engine is sent its abort packet or CAN, and the call
// ends with status 0. Every end leaves the port at the speed it had before. Blocking; call from
// a worker with the receive thread stopped.
// =============================================================================================

// The kinds of firmware file, by the engine's firmware version (and model).
typedef enum {
    KES_FIRMWARE_UNSUPPORTED = 0,  // no download for this engine
    KES_FIRMWARE_BD = 1,           // "BD" and a number below 50: *.bd
    KES_FIRMWARE_BD4 = 2,          // "BD" and 50 or more: *.bd4
    KES_FIRMWARE_BFM = 3,          // "BFM": *.bin, always through the boot loader
    KES_FIRMWARE_BF = 4,           // "BF": *.bf
    KES_FIRMWARE_GENERIC = 5,      // anything else: *.bin whose name begins like the version
} KesFirmwareKind;

// The kind of file for an engine. Null texts count as empty.
KesFirmwareKind KesGetFirmwareKind(const char* firmwareVersion, const char* modelName);
// The file-name extension of a kind without the dot ("bd", "bd4", "bin", "bf"), or "" when
// unsupported.
const char* KesGetFirmwareExtension(KesFirmwareKind kind);
// Non-zero when the kind is always loaded through the boot loader, whatever was requested.
int KesFirmwareForcesBootLoader(KesFirmwareKind kind);
// The generic kind's check: non-zero when the first four characters of the file name (without
// its folder) equal those of the firmware version.
int KesFirmwareNameMatches(const char* firmwareVersion, const char* fileName);
// Non-zero when the engine restarts under a new connection after a download and must be found
// again (the "BD" and "BF" families, not "BFM").
int KesFirmwareReconnects(const char* firmwareVersion);

// Non-zero when the last KesDownload on the module ended with the engine reporting its write
// finished; 0 after a cancel or a failure, or for a bad handle.
int KesDownloadFinished(KesHandle module);

}  // extern "C"

// ============================================================================================
// Images and image output settings
// ============================================================================================
//
// A shot returns a new image handle (closed by the caller with KesCloseHandle), 0 when the shot
// was cancelled (KesCancel; status 0), or -1 with the reason in the last status. An image is the
// engine's 256-byte header (converted to host order) and data of exactly the header's data size:
// pixel rows of KesGetImageBytesPerLine bytes each, top row first, or a JPEG stream when the
// format is KES_IMAGE_FORMAT_JPEG. At 10 bits per pixel each pixel is two bytes: the low bits
// first, then the 8 high bits.
//
// KesSendImage returns 1 when the picture was sent (or the engine stopped it early with ETB), 0
// when it was cancelled, -1 on failure.
//
// KesGetImageOutputProperty reads the engine's output settings ("[DE6") into a new property
// object; its setters check their values (a refused value leaves the field and sets
// KES_STATE_INVALID_PARAMETER) and KesSetImageOutputProperty writes every field ("[DE7").

extern "C" {

#define KES_IMAGE_FORMAT_JPEG 1
#define KES_IMAGE_FORMAT_BMP 3
#define KES_IMAGE_FORMAT_OTHER 255
#define KES_IMAGE_HEADER_SIZE 256

// Image getters (an image handle; 0 for a bad handle).
std::int32_t KesGetImageWidth(KesHandle image);
std::int32_t KesGetImageHeight(KesHandle image);
std::int32_t KesGetImageBytesPerLine(KesHandle image);
std::uint32_t KesGetImageDataSize(KesHandle image);
const std::uint8_t* KesGetImageData(KesHandle image);
const std::uint8_t* KesGetImageHeader(KesHandle image);  // KES_IMAGE_HEADER_SIZE bytes
std::int32_t KesGetImageHeaderSize(KesHandle image);
std::int32_t KesIsJpegImage(KesHandle image);  // 1 when the data is a JPEG stream

// Getters of an image or an output-settings object (-1 for a bad handle).
std::int32_t KesGetTrimLeft(KesHandle imageOrProperty);
std::int32_t KesGetTrimTop(KesHandle imageOrProperty);
std::int32_t KesGetTrimRight(KesHandle imageOrProperty);
std::int32_t KesGetTrimBottom(KesHandle imageOrProperty);
std::int32_t KesGetSubSamplingX(KesHandle imageOrProperty);
std::int32_t KesGetSubSamplingY(KesHandle imageOrProperty);
std::int32_t KesGetBitsPerPixel(KesHandle imageOrProperty);
std::int32_t KesGetImageFormat(KesHandle imageOrProperty);

// Output-settings fields (-1 from a getter for a bad handle). Accepted values: trims 0 to the
// maximum width (left, right) or height (top, bottom) minus 1; sub-sampling 1, 2 or 4; bits 1,
// 4, 8 or 10; JPEG quality 5 to 100; format 1 (JPEG) or 3 (BMP); whole transfer 0 (block by
// block) or 1; flips any (sent as 0 or 1); reverse 0, 1 or 2.
void KesSetTrimLeft(KesHandle property, std::int32_t value);
void KesSetTrimTop(KesHandle property, std::int32_t value);
void KesSetTrimRight(KesHandle property, std::int32_t value);
void KesSetTrimBottom(KesHandle property, std::int32_t value);
void KesSetSubSamplingX(KesHandle property, std::int32_t value);
void KesSetSubSamplingY(KesHandle property, std::int32_t value);
void KesSetBitsPerPixel(KesHandle property, std::int32_t value);
std::int32_t KesGetJpegQuality(KesHandle property);
void KesSetJpegQuality(KesHandle property, std::int32_t value);
void KesSetImageFormat(KesHandle property, std::int32_t value);
std::int32_t KesGetWholeTransfer(KesHandle property);
void KesSetWholeTransfer(KesHandle property, std::int32_t value);
std::int32_t KesGetReverse(KesHandle property);
std::int32_t KesGetFlip1(KesHandle property);
void KesSetFlip1(KesHandle property, std::int32_t value);
std::int32_t KesGetFlip2(KesHandle property);
void KesSetFlip2(KesHandle property, std::int32_t value);
void KesSetReverse(KesHandle property, std::int32_t value);
// The largest picture of the engine class the settings belong to.
std::int32_t KesGetMaximumWidth(KesHandle property);
std::int32_t KesGetMaximumHeight(KesHandle property);

// The decoding test on a picture: sends it (KesSendImage with request 0; rows of
// ((bits + 7) / 8) × width bytes, top first), starts reading on it ("[DEDQ3Q0Q0Q0", "Z") and,
// 100 ms later, ends the test ("[DEDQ0Q0Q0Q0"). What the engine decoded arrives as its usual
// output on the serial line. Returns 1 when done, 0 when the sending was cancelled, -1 on
// failure (status set).
std::int32_t KesDecodingTest(KesHandle module, const void* data, std::int32_t width,
                             std::int32_t lines, std::int32_t bitsPerPixel,
                             KesHandle shootProgress);

}  // extern "C"
