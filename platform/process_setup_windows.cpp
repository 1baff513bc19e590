#include "platform/process_setup.hpp"

#include <fcntl.h>
#include <io.h>

namespace field {

// Windows has no SIGPIPE or SIGXFSZ: a failed write returns an error there already.
void prepareProcess() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (_get_osfhandle(fd) != -1) continue;
        const int null = _open("NUL", _O_RDWR);
        if (null >= 0 && null != fd) {
            _dup2(null, fd);
            _close(null);
        }
    }
}

}  // namespace field
