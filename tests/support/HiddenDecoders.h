#pragma once
// Takes GStreamer elements out of autoplugging in this process (rank NONE) while it lives,
// as on a machine where their plugin is not installed.
#include <QtTest>

#include <gst/gst.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace vistrel::test {

class HiddenDecoders {
public:
    explicit HiddenDecoders(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), name);
            QVERIFY2(feature, name);
            hidden_.emplace_back(feature, gst_plugin_feature_get_rank(feature));
            gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
        }
    }
    ~HiddenDecoders()
    {
        for (auto& [feature, rank] : hidden_) {
            gst_plugin_feature_set_rank(feature, rank);
            gst_object_unref(feature);
        }
    }
    HiddenDecoders(const HiddenDecoders&) = delete;
    HiddenDecoders& operator=(const HiddenDecoders&) = delete;

private:
    std::vector<std::pair<GstPluginFeature*, guint>> hidden_;
};

}  // namespace vistrel::test
