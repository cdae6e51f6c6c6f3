#pragma once
// A target's longest useful input. The parsers cut or bound what they read (a coupon
// reply is kept to 199 bytes, a setting is read through a 255-byte buffer), so longer
// inputs only repeat what shorter ones reach and cost time. The limit is added to the
// command line as -max_len unless the caller gives one.
#include <cstring>
#include <string>
#include <vector>

#define QK_FUZZ_MAX_LEN(bytes)                                                 \
    extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)               \
    {                                                                          \
        static std::vector<char*> args;                                        \
        static std::string flag = "-max_len=" + std::to_string(bytes);         \
        for (int i = 1; i < *argc; ++i)                                        \
            if (std::strncmp((*argv)[i], "-max_len=", 9) == 0)                 \
                return 0;                                                      \
        args.assign(*argv, *argv + *argc);                                     \
        args.push_back(flag.data());                                           \
        args.push_back(nullptr);                                               \
        *argc += 1;                                                            \
        *argv = args.data();                                                   \
        return 0;                                                              \
    }
