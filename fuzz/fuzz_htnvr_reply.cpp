// fuzz-libs: gate_recorders
// The Hitron NVR reply reader on arbitrary peer bytes. The first byte picks
// the login (0) or the camera list (1), whose reply arrives on a socket that
// the peer then closes, or (2) the camera-list payload reader alone on the
// bytes after a 36-byte header (fast: no socket, no 1,024,000-byte buffer).
// Nothing may crash or read past what arrived, and a failed list must leave
// the caller's map as it was.
#include <stddef.h>
#include <stdint.h>
#include <unistd.h>

#include "recorders/HTNVRAdapter.h"
#include "FuzzPeer.h"

namespace {

// Checks the result of a camera-list read that could hold `records` records
// into a map that held one entry under INT32_MIN.
void CheckList(int ok, const CHTNVRAdapter::CameraMap& cameras, size_t records) {
  if (cameras.count(INT32_MIN) == 0 && !ok) __builtin_trap();
  if (!ok && cameras.size() != 1) __builtin_trap();
  if (cameras.size() > records + 1) __builtin_trap();
}

size_t RecordsIn(size_t payload) {
  return payload > 44 ? (payload - 44) / CHTNVRAdapter::kCameraRecordSize : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 256 * 1024) return 0;
  if (data[0] % 3 == 2) {
    if (size < 37) return 0;
    CHTNVRAdapter::CameraMap cameras;
    cameras[INT32_MIN].Name = "kept";
    int ok = CHTNVRAdapter::ReadCameraList(reinterpret_cast<const char*>(data + 37),
                                           static_cast<uint32_t>(size - 37), &cameras);
    CheckList(ok, cameras, RecordsIn(size - 37));
    return 0;
  }
  int fds[2];
  if (!FeedSocketPair(reinterpret_cast<const char*>(data + 1), size - 1, fds)) return 0;

  {
    CHTAPISession session;
    session.socket = fds[0];
    if (data[0] % 3 == 0) {
      CHTNVRAdapter::DoLogin(session, "admin", "password", nullptr, nullptr);
    } else {
      session.preambleSent = 1;
      CHTNVRAdapter::CameraMap cameras;
      cameras[INT32_MIN].Name = "kept";
      int ok = CHTNVRAdapter::GetCameraList(session, &cameras, nullptr, nullptr);
      CheckList(ok, cameras, size > 37 ? RecordsIn(size - 37) : 0);
    }
  }  // the session closes fds[0]
  close(fds[1]);
  return 0;
}
