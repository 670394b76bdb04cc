#pragma once
// What every playbin of ours needs: GStreamer started, a playbin on a file's URI, and an
// error message's text. Shared by the title graphs and the seek preview's graph.
#include <string>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace vistrel::gst {

// Starts GStreamer (once per process) with its plugin utilities; false when it cannot start.
bool StartGstreamer();
// A playbin holding its own reference on `file`'s URI (made by GStreamer from the name, so
// any byte of a file name is escaped); null with the reason in `error`.
GstElement* NewPlaybinForFile(const std::string& file, std::string& error);
std::string ErrorText(GstMessage* message);

}  // namespace vistrel::gst
