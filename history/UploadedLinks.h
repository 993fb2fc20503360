#pragma once

class HistoryManager;
class RecordingStore;

// Brings the upload history up to date with the recordings the service took.
//
// An accepted upload is first written with its recording (state and link in one write of
// the store's index); the history's row follows from it here. A run that ends in between
// leaves the link in the index only, and the next settle() adds it then: once, since the
// index marks a link told as soon as the history holds it, and the history refuses a record
// it holds already.
namespace UploadedLinks {

// Adds every uploaded link of `store` that `history` lacks and marks it told; the recording
// stays kept (a file of the user's own loses its entry only). Returns how many links were
// settled. The history must have been loaded. GUI thread only.
int settle(RecordingStore& store, HistoryManager& history);

} // namespace UploadedLinks
