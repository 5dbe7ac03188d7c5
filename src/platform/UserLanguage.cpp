#include "platform/UserLanguage.h"

#include <cstdlib>
#include <string_view>

namespace sg {
namespace {

constexpr std::uint16_t kEnglishUnitedStates = 0x0409;

struct LocaleId {
    std::string_view name;  // "ll" or "ll_CC"
    std::uint16_t id;
};

// Language alone maps to the language's default sub-language; a country refines it.
constexpr LocaleId kLocales[] = {
    {"af", 0x0436},    {"af_ZA", 0x0436}, {"ar", 0x0401},    {"ar_SA", 0x0401}, {"ar_IQ", 0x0801},
    {"ar_EG", 0x0c01}, {"ar_LY", 0x1001}, {"ar_DZ", 0x1401}, {"ar_MA", 0x1801}, {"ar_TN", 0x1c01},
    {"ar_OM", 0x2001}, {"ar_YE", 0x2401}, {"ar_SY", 0x2801}, {"ar_JO", 0x2c01}, {"ar_LB", 0x3001},
    {"ar_KW", 0x3401}, {"ar_AE", 0x3801}, {"ar_BH", 0x3c01}, {"ar_QA", 0x4001}, {"az", 0x042c},
    {"az_AZ", 0x042c}, {"be", 0x0423},    {"be_BY", 0x0423}, {"bg", 0x0402},    {"bg_BG", 0x0402},
    {"ca", 0x0403},    {"ca_ES", 0x0403}, {"cs", 0x0405},    {"cs_CZ", 0x0405}, {"da", 0x0406},
    {"da_DK", 0x0406}, {"de", 0x0407},    {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0c07},
    {"de_LU", 0x1007}, {"de_LI", 0x1407}, {"el", 0x0408},    {"el_GR", 0x0408}, {"en", 0x0409},
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0c09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en_ZA", 0x1c09}, {"en_JM", 0x2009}, {"en_BZ", 0x2809}, {"en_TT", 0x2c09},
    {"en_ZW", 0x3009}, {"en_PH", 0x3409}, {"en_IN", 0x4009}, {"en_MY", 0x4409}, {"en_SG", 0x4809},
    {"es", 0x0c0a},    {"es_ES", 0x0c0a}, {"es_MX", 0x080a}, {"es_GT", 0x100a}, {"es_CR", 0x140a},
    {"es_PA", 0x180a}, {"es_DO", 0x1c0a}, {"es_VE", 0x200a}, {"es_CO", 0x240a}, {"es_PE", 0x280a},
    {"es_AR", 0x2c0a}, {"es_EC", 0x300a}, {"es_CL", 0x340a}, {"es_UY", 0x380a}, {"es_PY", 0x3c0a},
    {"es_BO", 0x400a}, {"es_SV", 0x440a}, {"es_HN", 0x480a}, {"es_NI", 0x4c0a}, {"es_PR", 0x500a},
    {"es_US", 0x540a}, {"et", 0x0425},    {"et_EE", 0x0425}, {"eu", 0x042d},    {"eu_ES", 0x042d},
    {"fa", 0x0429},    {"fa_IR", 0x0429}, {"fi", 0x040b},    {"fi_FI", 0x040b}, {"fo", 0x0438},
    {"fo_FO", 0x0438}, {"fr", 0x040c},    {"fr_FR", 0x040c}, {"fr_BE", 0x080c}, {"fr_CA", 0x0c0c},
    {"fr_CH", 0x100c}, {"fr_LU", 0x140c}, {"fr_MC", 0x180c}, {"gl", 0x0456},    {"gl_ES", 0x0456},
    {"gu", 0x0447},    {"gu_IN", 0x0447}, {"he", 0x040d},    {"he_IL", 0x040d}, {"hi", 0x0439},
    {"hi_IN", 0x0439}, {"hr", 0x041a},    {"hr_HR", 0x041a}, {"hu", 0x040e},    {"hu_HU", 0x040e},
    {"hy", 0x042b},    {"hy_AM", 0x042b}, {"id", 0x0421},    {"id_ID", 0x0421}, {"is", 0x040f},
    {"is_IS", 0x040f}, {"it", 0x0410},    {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"ja", 0x0411},
    {"ja_JP", 0x0411}, {"ka", 0x0437},    {"ka_GE", 0x0437}, {"kk", 0x043f},    {"kk_KZ", 0x043f},
    {"kn", 0x044b},    {"kn_IN", 0x044b}, {"ko", 0x0412},    {"ko_KR", 0x0412}, {"lt", 0x0427},
    {"lt_LT", 0x0427}, {"lv", 0x0426},    {"lv_LV", 0x0426}, {"mk", 0x042f},    {"mk_MK", 0x042f},
    {"mr", 0x044e},    {"mr_IN", 0x044e}, {"ms", 0x043e},    {"ms_MY", 0x043e}, {"ms_BN", 0x083e},
    {"mt", 0x043a},    {"mt_MT", 0x043a}, {"nb", 0x0414},    {"nb_NO", 0x0414}, {"nl", 0x0413},
    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nn", 0x0814},    {"nn_NO", 0x0814}, {"no", 0x0414},
    {"no_NO", 0x0414}, {"pa", 0x0446},    {"pa_IN", 0x0446}, {"pl", 0x0415},    {"pl_PL", 0x0415},
    {"pt", 0x0416},    {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"ro", 0x0418},    {"ro_RO", 0x0418},
    {"ru", 0x0419},    {"ru_RU", 0x0419}, {"sa", 0x044f},    {"sa_IN", 0x044f}, {"sk", 0x041b},
    {"sk_SK", 0x041b}, {"sl", 0x0424},    {"sl_SI", 0x0424}, {"sq", 0x041c},    {"sq_AL", 0x041c},
    {"sr", 0x0c1a},    {"sr_RS", 0x0c1a}, {"sv", 0x041d},    {"sv_SE", 0x041d}, {"sv_FI", 0x081d},
    {"sw", 0x0441},    {"sw_KE", 0x0441}, {"ta", 0x0449},    {"ta_IN", 0x0449}, {"te", 0x044a},
    {"te_IN", 0x044a}, {"th", 0x041e},    {"th_TH", 0x041e}, {"tr", 0x041f},    {"tr_TR", 0x041f},
    {"tt", 0x0444},    {"tt_RU", 0x0444}, {"uk", 0x0422},    {"uk_UA", 0x0422}, {"ur", 0x0420},
    {"ur_PK", 0x0420}, {"uz", 0x0443},    {"uz_UZ", 0x0443}, {"vi", 0x042a},    {"vi_VN", 0x042a},
    {"zh", 0x0804},    {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0c04}, {"zh_SG", 0x1004},
    {"zh_MO", 0x1404},
};

std::uint16_t Lookup(std::string_view name) {
    for (const LocaleId& entry : kLocales) {
        if (entry.name == name) {
            return entry.id;
        }
    }
    return 0;
}

}  // namespace

std::uint16_t LangIdFromLocale(const std::string& locale) {
    std::string_view name(locale);
    std::size_t end = name.find_first_of(".@");
    if (end != std::string_view::npos) {
        name = name.substr(0, end);
    }
    if (name.empty() || name == "C" || name == "POSIX") {
        return kEnglishUnitedStates;
    }
    if (std::uint16_t id = Lookup(name)) {
        return id;
    }
    // An unknown country falls back to the language's default.
    std::size_t underscore = name.find('_');
    if (underscore != std::string_view::npos) {
        if (std::uint16_t id = Lookup(name.substr(0, underscore))) {
            return id;
        }
    }
    return kEnglishUnitedStates;
}

std::uint16_t UserDefaultLangId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return LangIdFromLocale(value);
        }
    }
    return kEnglishUnitedStates;
}

}  // namespace sg
