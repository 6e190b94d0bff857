#include "games/fortnite_edits.h"

namespace tavrine {

namespace {

constexpr const char* kFortSettings = "/Script/FortniteGame.FortGameUserSettings";
constexpr const char* kEngineSettings = "/Script/Engine.GameUserSettings";
constexpr const char* kSystem = "SystemSettings";

// clang-format off
constexpr IniEdit kGameUserSettingsEdits[] = {
    {"D3DRHIPreference",  "PreferredRHI",                 "Performance"},
    {"ScalabilityGroups", "sg.ResolutionQuality",         "100"},
    {"ScalabilityGroups", "sg.ViewDistanceQuality",       "1"},
    {"ScalabilityGroups", "sg.AntiAliasingQuality",       "0"},
    {"ScalabilityGroups", "sg.ShadowQuality",             "0"},
    {"ScalabilityGroups", "sg.GlobalIlluminationQuality", "0"},
    {"ScalabilityGroups", "sg.ReflectionQuality",         "0"},
    {"ScalabilityGroups", "sg.PostProcessQuality",        "0"},
    {"ScalabilityGroups", "sg.TextureQuality",            "0"},
    {"ScalabilityGroups", "sg.EffectsQuality",            "0"},
    {"ScalabilityGroups", "sg.FoliageQuality",            "0"},
    {"ScalabilityGroups", "sg.ShadingQuality",            "0"},
    {"ScalabilityGroups", "sg.LandscapeQuality",          "0"},
    {kFortSettings,       "PreferredRenderer",            "Performance"},
    {kFortSettings,       "DefaultGraphicsRHI",           "Performance"},
    {kFortSettings,       "bUseVSync",                    "False"},
    {kFortSettings,       "bUseDynamicResolution",        "False"},
    {kFortSettings,       "FrameRateLimit",               "0.000000"},
    {kFortSettings,       "FrontendFrameRateLimit",       "0"},
    {kFortSettings,       "FullscreenMode",               "0"},
    {kFortSettings,       "LastConfirmedFullscreenMode",  "0"},
    {kFortSettings,       "PreferredFullscreenMode",      "0"},
    {kFortSettings,       "bMotionBlur",                  "False"},
    {kFortSettings,       "bShowGrass",                   "False"},
    {kFortSettings,       "bUseHDRDisplayOutput",         "False"},
    {kFortSettings,       "bDisableMouseAcceleration",    "True"},
    {kFortSettings,       "NVIDIAReflex",                 "2"},
    {kFortSettings,       "bNanite",                      "False"},
    {kEngineSettings,     "bUseVSync",                    "False"},
    {kEngineSettings,     "FrameRateLimit",               "0.000000"},
};

constexpr IniEdit kEngineEdits[] = {
    {kSystem,            "r.VSync",                             "0"},
    {kSystem,            "r.CreateShadersOnLoad",               "1"},
    {kSystem,            "r.ShaderPipelineCache.Enabled",       "1"},
    {kSystem,            "r.ShaderPipelineCache.SaveUserCache", "1"},
    {kSystem,            "D3D12.PSO.DiskCache",                 "1"},
    {kSystem,            "D3D12.PSO.DriverOptimizedDiskCache",  "1"},
    {kSystem,            "r.FinishCurrentFrame",                "0"},
    {kSystem,            "r.OneFrameThreadLag",                 "1"},
    {kSystem,            "r.GTSyncType",                        "1"},
    {kSystem,            "r.Streaming.LimitPoolSizeToVRAM",     "1"},
    {kSystem,            "r.TextureStreaming",                  "1"},
    {kSystem,            "r.Shadow.Virtual.Enable",             "0"},
    {kSystem,            "r.Nanite",                            "0"},
    {kSystem,            "r.Lumen.DiffuseIndirect.Allow",       "0"},
    {kSystem,            "r.DynamicGlobalIlluminationMethod",   "0"},
    {kSystem,            "r.ReflectionMethod",                  "0"},
    {kSystem,            "r.DefaultFeature.MotionBlur",         "0"},
    {kSystem,            "r.BloomQuality",                      "0"},
    {kSystem,            "r.MotionBlurQuality",                 "0"},
    {kSystem,            "r.DepthOfFieldQuality",               "0"},
    {kSystem,            "r.LensFlareQuality",                  "0"},
    {kSystem,            "r.SceneColorFringeQuality",           "0"},
    {kSystem,            "r.Tonemapper.GrainQuantization",      "0"},
    {kSystem,            "r.DefaultFeature.AntiAliasing",       "0"},
    {kSystem,            "r.PostProcessAAQuality",              "0"},
    {kSystem,            "r.DefaultFeature.AmbientOcclusion",   "0"},
    {kSystem,            "r.AmbientOcclusionLevels",            "0"},
    {kSystem,            "r.SSR.Quality",                       "0"},
    {kSystem,            "t.MaxFPS",                            "0"},
    {"ConsoleVariables", "r.VSync",                             "0"},
    {"ConsoleVariables", "t.MaxFPS",                            "0"},
};
// clang-format on

static_assert(std::size(kGameUserSettingsEdits) == 30);
static_assert(std::size(kEngineEdits) == 31);

} // namespace

std::span<const IniEdit> game_user_settings_edits() {
    return kGameUserSettingsEdits;
}

std::span<const IniEdit> engine_edits() {
    return kEngineEdits;
}

} // namespace tavrine
