#include "conversion/same_file.h"

#include <io.h>
#include <windows.h>

// The C runtime's stat reports no inode on Windows; a file is known by its
// volume and its index on that volume, which hard links share.
namespace {

bool identify(HANDLE file, BY_HANDLE_FILE_INFORMATION *identity)
{
    return file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, identity) != 0;
}

} // namespace

// The C runtime's status has no inode there: input_status is no help.
bool names_same_file(int input_fd, const struct stat & /*input_status*/, const char *output_path)
{
    BY_HANDLE_FILE_INFORMATION input_identity{};
    // Borrowed from the descriptor: not ours to close.
    const auto input_handle = reinterpret_cast<HANDLE>(_get_osfhandle(input_fd));
    if (!identify(input_handle, &input_identity)) {
        return false;
    }
    // No access asked for, and every kind of sharing allowed, so that merely
    // looking cannot fail or get in anyone's way. Backup semantics let a
    // folder be opened too.
    const HANDLE output_handle = CreateFileA(output_path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION output_identity{};
    const bool output_identified = identify(output_handle, &output_identity);
    if (output_handle != INVALID_HANDLE_VALUE) {
        CloseHandle(output_handle);
    }
    return output_identified && input_identity.dwVolumeSerialNumber == output_identity.dwVolumeSerialNumber &&
           input_identity.nFileIndexHigh == output_identity.nFileIndexHigh &&
           input_identity.nFileIndexLow == output_identity.nFileIndexLow;
}
