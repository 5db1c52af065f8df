// print_shader: prints the GLSL that the shader backend generates for a
// shader key given with named options (each unit's texture stage and the
// alpha test), without a GL context. Usage: print_shader --help.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "glshader/shader_key.h"

namespace {

const std::map<std::string, StageMode> stageModes = {
    {"off", STAGE_OFF}, {"modulate", STAGE_MODULATE}, {"combine", STAGE_COMBINE}};
const std::map<std::string, CombineFunction> functions = {
    {"replace", COMBINE_REPLACE}, {"modulate", COMBINE_MODULATE}, {"interpolate", COMBINE_INTERPOLATE}};
const std::map<std::string, CombineSource> sources = {
    {"texture", SOURCE_TEXTURE}, {"primary", SOURCE_PRIMARY}, {"previous", SOURCE_PREVIOUS}};
const std::map<std::string, AlphaTest> alphaTests = {
    {"off", ALPHA_TEST_OFF},         {"never", ALPHA_TEST_NEVER},     {"less", ALPHA_TEST_LESS},
    {"equal", ALPHA_TEST_EQUAL},     {"lequal", ALPHA_TEST_LEQUAL},   {"greater", ALPHA_TEST_GREATER},
    {"notequal", ALPHA_TEST_NOTEQUAL}, {"gequal", ALPHA_TEST_GEQUAL}};
const char alphaSuffix[] = "-alpha";  // an RGB argument that is its source's alpha

template <typename T>
std::vector<std::string> names(const std::map<std::string, T>& values)
{
    std::vector<std::string> result;
    for (const auto& entry : values)
        result.push_back(entry.first);
    return result;
}

// What the options of one unit hold before they become its stage.
struct UnitOptions {
    std::string mode = "off";
    std::string rgbFunction = "modulate", alphaFunction = "modulate";
    std::vector<std::string> rgbArguments = {"texture", "previous"}, alphaArguments = {"texture", "previous"};
    CLI::Option *rgbFunctionOption, *alphaFunctionOption, *rgbArgumentsOption, *alphaArgumentsOption;
};

void addUnitOptions(CLI::App* app, int unit, UnitOptions* o)
{
    std::string u = "--unit" + std::to_string(unit);
    std::vector<std::string> rgbSources = names(sources);
    for (const auto& entry : sources)
        rgbSources.push_back(entry.first + alphaSuffix);
    app->add_option(u, o->mode, "Texture stage of unit " + std::to_string(unit) + ": off, modulate or combine")
        ->type_name("MODE")
        ->check(CLI::IsMember(names(stageModes)))
        ->capture_default_str();
    o->rgbFunctionOption = app->add_option(u + "-rgb", o->rgbFunction,
                                           "Combiner function of the colour: replace, modulate or interpolate")
                               ->type_name("FUNCTION")
                               ->check(CLI::IsMember(names(functions)))
                               ->capture_default_str();
    o->rgbArgumentsOption = app->add_option(u + "-rgb-args", o->rgbArguments,
                                            "The colour function's arguments, as many as it takes: texture, "
                                            "primary or previous, with -alpha for the source's alpha")
                                ->type_name("A,B,C")
                                ->delimiter(',')
                                ->check(CLI::IsMember(rgbSources))
                                ->capture_default_str();
    o->alphaFunctionOption = app->add_option(u + "-alpha", o->alphaFunction,
                                             "Combiner function of the alpha: replace, modulate or interpolate")
                                 ->type_name("FUNCTION")
                                 ->check(CLI::IsMember(names(functions)))
                                 ->capture_default_str();
    o->alphaArgumentsOption = app->add_option(u + "-alpha-args", o->alphaArguments,
                                              "The alpha function's arguments: texture, primary or previous")
                                  ->type_name("A,B,C")
                                  ->delimiter(',')
                                  ->check(CLI::IsMember(names(sources)))
                                  ->capture_default_str();
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The stage the options describe, or the usage error they make.
std::string stageOf(int unit, const UnitOptions& o, TextureStage* stage)
{
    std::string u = "--unit" + std::to_string(unit);
    *stage = TextureStage{};
    stage->mode = stageModes.at(o.mode);
    if (stage->mode != STAGE_COMBINE) {
        for (CLI::Option* option :
             {o.rgbFunctionOption, o.alphaFunctionOption, o.rgbArgumentsOption, o.alphaArgumentsOption})
            if (option->count())
                return option->get_name() + " needs " + u + " combine";
        return "";
    }
    stage->rgbFunction = functions.at(o.rgbFunction);
    stage->alphaFunction = functions.at(o.alphaFunction);
    size_t rgbCount = (size_t)combineArgumentCount(stage->rgbFunction);
    size_t alphaCount = (size_t)combineArgumentCount(stage->alphaFunction);
    if (o.rgbArguments.size() != rgbCount)
        return u + "-rgb-args: " + o.rgbFunction + " takes " + std::to_string(rgbCount) + " arguments, not "
               + std::to_string(o.rgbArguments.size());
    if (o.alphaArguments.size() != alphaCount)
        return u + "-alpha-args: " + o.alphaFunction + " takes " + std::to_string(alphaCount) + " arguments, not "
               + std::to_string(o.alphaArguments.size());
    for (size_t i = 0; i < rgbCount; i++) {
        std::string name = o.rgbArguments[i];
        stage->rgbOperandAlpha[i] = endsWith(name, alphaSuffix);
        if (stage->rgbOperandAlpha[i])
            name.resize(name.size() - (sizeof alphaSuffix - 1));
        stage->rgbSource[i] = sources.at(name);
    }
    for (size_t i = 0; i < alphaCount; i++)
        stage->alphaSource[i] = sources.at(o.alphaArguments[i]);
    return "";
}

int usageError(const std::string& text)
{
    std::fprintf(stderr, "print_shader: %s\n", text.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Prints the GLSL ES 3.00 vertex and fragment shaders that the shader backend generates for one "
                 "state: each texture unit's stage and the alpha test. Example, the sprites' cross-fade: "
                 "--unit0 combine --unit0-rgb-args texture,primary --unit0-alpha replace --unit0-alpha-args "
                 "texture --unit1 combine --unit1-rgb interpolate --unit1-rgb-args "
                 "previous,texture,primary-alpha --unit1-alpha interpolate --unit1-alpha-args "
                 "previous,texture,primary --alpha-test greater",
                 "print_shader"};
    UnitOptions units[sglUnitCount];
    for (int unit = 0; unit < sglUnitCount; unit++)
        addUnitOptions(&app, unit, &units[unit]);
    std::string alphaTest = "off", only;
    app.add_option("--alpha-test", alphaTest,
                   "Alpha test: off, never, less, equal, lequal, greater, notequal or gequal (GL_ALWAYS is off)")
        ->type_name("TEST")
        ->check(CLI::IsMember(names(alphaTests)))
        ->capture_default_str();
    app.add_option("--only", only, "Print only this shader's source, as it is compiled: vertex or fragment")
        ->type_name("SHADER")
        ->check(CLI::IsMember({"vertex", "fragment"}));
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return usageError(e.what());
    }

    ShaderKey key = {};
    for (int unit = 0; unit < sglUnitCount; unit++) {
        std::string problem = stageOf(unit, units[unit], &key.stages[unit]);
        if (!problem.empty())
            return usageError(problem);
    }
    key.alphaTest = alphaTests.at(alphaTest);
    ShaderSource source = shaderSource(key);
    if (only == "vertex")
        std::fputs(source.vertex.c_str(), stdout);
    else if (only == "fragment")
        std::fputs(source.fragment.c_str(), stdout);
    else
        std::printf("// vertex shader\n%s\n// fragment shader\n%s", source.vertex.c_str(), source.fragment.c_str());
    return 0;
}
