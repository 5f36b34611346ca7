// The list.rec an import replaces, and the one it writes.
#include "record_file.h"

#include <cerrno>

namespace {

const uint64_t kHashPrime = 1099511628211ull;

}  // namespace

FileError openOldRecords(OldRecords& old, const std::string& path) {
  old = OldRecords();
  old.path = path;
  if (!openInput(old.in, path.c_str(), false)) {
    return openFailure(path, old.in.error);  // none for a missing file
  }
  uint64_t size = 0;
  if (!inputSize(old.in, size)) {
    return FileError{"read", path, old.in.error != 0 ? old.in.error : EIO};
  }
  old.count = static_cast<int64_t>((size + kRecordSize - 1) / kRecordSize);
  old.lastBytes = size % kRecordSize == 0 ? kRecordSize : size % kRecordSize;
  old.givenOn.assign(static_cast<size_t>(old.count), 0);
  return FileError();
}

FileError readOldRecord(OldRecords& old, int64_t n, RecordBytes& bytes) {
  const uint64_t at = static_cast<uint64_t>(n - 1) * kRecordSize;
  // Straight on, or a short step within the block in hand, reads from the
  // block; so does a second record in a row, after a jump, which starts a
  // run. A record on its own (rows sorted otherwise) is read by itself, not
  // with a block of records that the next row will not ask for.
  if (n == old.next || inBlock(old.in, at) || n == old.last + 1) {
    if (n != old.next && !seekInput(old.in, at)) {
      return FileError{"read", old.path, old.in.error != 0 ? old.in.error : EIO};
    }
    readRecordBytes(old.in, bytes.data(), bytes.size());
    old.next = n + 1;
  } else {
    readBytesAt(old.in, at, bytes.data(), bytes.size());
  }
  old.last = n;
  if (old.in.error != 0) {
    return FileError{"read", old.path, old.in.error};
  }
  return FileError();
}

void closeOldRecords(OldRecords& old) {
  closeInput(old.in);
}

void countWritten(RecordsWritten& written, std::string_view bytes) {
  for (const char c : bytes) {
    written.hash = (written.hash ^ static_cast<unsigned char>(c)) * kHashPrime;
  }
  written.bytes += bytes.size();
}

bool readBackRecords(const std::string& path, const RecordsWritten& written, std::string& reason) {
  InputFile in;
  if (!openInput(in, path.c_str(), false)) {
    reason = describeFailure(FileError{"open", path, in.error != 0 ? in.error : ENOENT});
    return false;
  }
  RecordsWritten read;
  RecordBytes bytes;
  // The reader's own loop: a read that finds no byte only meets the end.
  for (size_t got; (got = readRecordBytes(in, bytes.data(), bytes.size())) > 0;) {
    ++read.records;
    countWritten(read, std::string_view(reinterpret_cast<const char*>(bytes.data()), got));
  }
  const int error = in.error;
  closeInput(in);
  if (error != 0) {
    reason = describeFailure(FileError{"read", path, error});
    return false;
  }
  if (read.records == written.records && read.bytes == written.bytes && read.hash != written.hash) {
    reason = path + " reads back with other bytes than were written";
    return false;
  }
  if (read.records != written.records || read.bytes != written.bytes) {
    reason = path + " reads back as " + std::to_string(read.records) + " records of " +
             std::to_string(read.bytes) + " bytes, not the " + std::to_string(written.records) +
             " records of " + std::to_string(written.bytes) + " bytes written";
    return false;
  }
  return true;
}
