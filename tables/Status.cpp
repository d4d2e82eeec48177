#include "Status.h"

std::string Status::toString() const {
    switch (code_) {
        case Code::Ok: return "OK";
        case Code::NotFound: return "Not found: " + message_;
        case Code::Corruption: return "Corruption: " + message_;
        case Code::InvalidArgument: return "Invalid argument: " + message_;
        case Code::IOError: return "IO error: " + message_;
        case Code::NotSupported: return "Not supported: " + message_;
    }
    return message_;
}
