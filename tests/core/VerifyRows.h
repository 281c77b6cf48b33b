#pragma once
// The rows of a verify or comparison result, looked up by member, for the tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "doc/Verify.h"
#include "params/Operations.h"

namespace veltrin::test {

using Strings = std::vector<std::string>;

inline EncoderParameters StartUp() {
    EncoderParameters p;
    p = DefaultEncoderParameters();
    return p;
}

inline const VerifyRow& Row(const VerifyResult& r, const std::string& member) {
    for (const VerifyRow& row : r.rows)
        if (row.member == member) return row;
    ADD_FAILURE() << "no row " << member;
    static const VerifyRow none;
    return none;
}

inline std::vector<std::string> With(const VerifyResult& r, VerifyStatus status) {
    std::vector<std::string> members;
    for (const VerifyRow& row : r.rows)
        if (row.status == status) members.push_back(row.member);
    return members;
}

inline bool SameBytes(const EncoderParameters& a, const EncoderParameters& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace veltrin::test
