// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stand-ins for the platform services: a scripted random sequence and message boxes that
// record or ignore instead of blocking. The benchmarks use them too.

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/random_source.h"

namespace tessarin::testing {

class RecordingMessageBox final : public MessageBox {
public:
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
    void ShowMessageWithLead(const std::string& lead, const std::string& text) override {
        leads.push_back(lead);
        shown.push_back(text);
    }
    std::vector<std::string> shown;
    std::vector<std::string> leads;  // what screen readers were to hear before a box's text
};

// For runs that play thousands of games, where a record would only grow.
using tessarin::SilentMessageBox;

// Hands out the scripted values in order; running out is a test failure, not a silent 0,
// so a test also pins down how many draws the code makes.
class ScriptedRandom final : public RandomSource {
public:
    ScriptedRandom() = default;
    explicit ScriptedRandom(std::initializer_list<float> values) : values_(values) {}

    void Script(std::initializer_list<float> values) { values_.insert(values_.end(), values); }
    // Every draw from now on returns `value` (for scans whose tie count is not the point).
    void Always(float value) {
        always_ = true;
        alwaysValue_ = value;
    }
    void SeedRandom() override { ++seeds; }
    float NextRandom() override {
        ++draws;
        if (!values_.empty()) {
            const float v = values_.front();
            values_.pop_front();
            return v;
        }
        if (always_) return alwaysValue_;
        throw std::logic_error("ScriptedRandom: more draws than scripted");
    }
    std::size_t Remaining() const { return values_.size(); }

    int draws = 0;
    int seeds = 0;

private:
    std::deque<float> values_;
    bool always_ = false;
    float alwaysValue_ = 0.0f;
};

}  // namespace tessarin::testing
