#include "tools/gen/names.h"

#include <unordered_map>
#include <vector>

namespace volq::gen {
namespace {

struct Named {
  std::string_view text;
  std::string_view reading;  // syllables joined by '.', or Latin letters
};
struct Org {
  std::string_view text, reading, latin;
};
struct Syllable {
  std::string_view full, half, latin;
};

const Named kSurnames[] = {
    {"\x93\x63\x92\x86", "TA.NA.KA"},             // 田中
    {"\x8d\xb2\x93\xa1", "SA.TO.U"},              // 佐藤
    {"\x97\xe9\x96\xd8", "SU.ZU.KI"},             // 鈴木
    {"\x8d\x82\x8b\xb4", "TA.KA.HA.SHI"},         // 高橋
    {"\x93\x6e\x95\xd3", "WA.TA.NA.BE"},          // 渡辺
    {"\x88\xc9\x93\xa1", "I.TO.U"},               // 伊藤
    {"\x8e\x52\x96\x7b", "YA.MA.MO.TO"},          // 山本
    {"\x92\x86\x91\xba", "NA.KA.MU.RA"},          // 中村
    {"\x8f\xac\x97\xd1", "KO.BA.YA.SHI"},         // 小林
    {"\x89\xc1\x93\xa1", "KA.TO.U"},              // 加藤
    {"\x8b\x67\x93\x63", "YO.SHI.DA"},            // 吉田
    {"\x8e\x52\x93\x63", "YA.MA.DA"},             // 山田
    {"\x8f\xbc\x96\x7b", "MA.TSU.MO.TO"},         // 松本
    {"\x88\xe4\x8f\xe3", "I.NO.U.E"},             // 井上
    {"\x96\xd8\x91\xba", "KI.MU.RA"},             // 木村
    {"\x90\xb4\x90\x85", "SHI.MI.ZU"},            // 清水
    {"\x8e\x52\x8d\xe8", "YA.MA.ZA.KI"},          // 山崎
    {"\x92\x72\x93\x63", "I.KE.DA"},              // 池田
    {"\x8b\xb4\x96\x7b", "HA.SHI.MO.TO"},         // 橋本
    {"\x90\xce\x90\xec", "I.SHI.KA.WA"},          // 石川
    {"\x91\x4f\x93\x63", "MA.E.DA"},              // 前田
    {"\x93\xa1\x93\x63", "FU.JI.TA"},             // 藤田
    {"\x89\xaa\x93\x63", "O.KA.DA"},              // 岡田
    {"\x8c\xe3\x93\xa1", "GO.TO.U"},              // 後藤
    {"\x91\xba\x8f\xe3", "MU.RA.KA.MI"},          // 村上
    {"\x8b\xdf\x93\xa1", "KO.N.DO.U"},            // 近藤
    {"\x8d\xe2\x88\xe4", "SA.KA.I"},              // 坂井
    {"\x89\xa1\x8e\x52", "YO.KO.YA.MA"},          // 横山
    {"\x90\xec\x93\x63", "KA.WA.DA"},             // 川田
    {"\x95\x9f\x89\x69", "FU.KU.NA.GA"},          // 福永
    {"\x8a\xe2\x93\x63", "I.WA.TA"},              // 岩田
    {"\x8c\xcb\x8d\xe8", "TO.SA.KI"},             // 戸崎
    {"\x8f\xbc\x8e\x52", "MA.TSU.YA.MA"},         // 松山
    {"\x95\x90", "TA.KE"},                        // 武
    {"\x95\x6c\x92\x86", "HA.MA.NA.KA"},          // 浜中
    {"\x96\x6b\x91\xba", "KI.TA.MU.RA"},          // 北村
    {"\x90\x9b\x8c\xb4", "SU.GA.WA.RA"},          // 菅原
    {"\x8a\xdb\x8e\x52", "MA.RU.YA.MA"},          // 丸山
    {"\x90\xbc\x91\xba", "NI.SHI.MU.RA"},         // 西村
    {"\x8e\x4f\x89\x59", "MI.U.RA"},              // 三浦
    {"\x91\xe5\x96\xec", "O.O.NO"},               // 大野
    {"\x93\x63\x95\xd3", "TA.NA.BE"},             // 田辺
    {"\x8e\xc4\x93\x63", "SHI.BA.TA"},            // 柴田
    {"\x93\xe0\x93\x63", "U.CHI.DA"},             // 内田
    {"\x8d\x91\x95\xaa", "KO.KU.BU"},             // 国分
    {"\x90\x58", "MO.RI"},                        // 森
    {"\x97\xd1", "HA.YA.SHI"},                    // 林
    {"\x8c\xb4", "HA.RA"},                        // 原
    {"\x89\xac\x96\xec", "O.GI.NO"},              // 荻野
    {"\x93\xa1\x89\xaa", "FU.JI.O.KA"},           // 藤岡
    {"\x8a\x70\x93\x63", "TSU.NO.DA"},            // 角田
    {"\x8b\x67\x91\xba", "YO.SHI.MU.RA"},         // 吉村
    {"\x92\xb7\x89\xaa", "NA.GA.O.KA"},           // 長岡
    {"\x96\xec\x92\x86", "NO.NA.KA"},             // 野中
    {"\x8d\xd6\x93\xa1", "SA.I.TO.U"},            // 斎藤
    {"\x96\x78", "HO.RI"},                        // 堀
    {"\x96\xee\x8d\xec", "YA.HA.GI"},             // 矢作
    {"\x97\x46\x93\xb9", "TO.MO.MI.CHI"},         // 友道
    {"\x8d\x91\x8e\x7d", "KU.NI.E.DA"},           // 国枝
    {"\x90\x7b\x8a\x4c", "SU.GA.I"},              // 須貝
    {"\x89\xb9\x96\xb3", "O.TO.NA.SHI"},          // 音無
    {"\x92\x72\x8d\x5d", "I.KE.E"},               // 池江
    {"\x92\x86\x92\x7c", "NA.KA.TA.KE"},          // 中竹
    {"\x8d\x82\x96\xec", "TA.KA.NO"},             // 高野
    {"\x8d\xb2\x81\x58\x96\xd8", "SA.SA.KI"},     // 佐々木
    {"\x92\xb7\x92\x4a\x90\xec", "HA.SE.GA.WA"},  // 長谷川
};
const Named kGivenNames[] = {
    {"\x96\x4c", "YU.TA.KA"},                       // 豊
    {"\x88\xea", "HA.JI.ME"},                       // 一
    {"\x8d\x5f", "HI.RO.SHI"},                      // 浩
    {"\x8c\x92", "KE.N"},                           // 健
    {"\x90\xbd", "MA.KO.TO"},                       // 誠
    {"\x91\xe5", "DA.I"},                           // 大
    {"\xe3\xc4", "SHO.U"},                          // 翔
    {"\x91\xbe\x98\x59", "TA.RO.U"},                // 太郎
    {"\x91\xf1\x96\xe7", "TA.KU.YA"},               // 拓也
    {"\x97\xb2", "TA.KA.SHI"},                      // 隆
    {"\x8d\x4e", "YA.SU.SHI"},                      // 康
    {"\x97\x54\x93\xf1", "YU.U.JI"},                // 裕二
    {"\x98\x61\x90\xb6", "KA.ZU.O"},                // 和生
    {"\x97\x59\x88\xea", "YU.U.I.CHI"},             // 雄一
    {"\x8f\x43", "O.SA.MU"},                        // 修
    {"\x93\x54\x8d\x4f", "NO.RI.HI.RO"},            // 典弘
    {"\x8d\x4f", "HI.RO.MU"},                       // 弘
    {"\x8d\x4b\x8e\x6c\x98\x59", "KO.U.SHI.RO.U"},  // 幸四郎
    {"\x92\xbc\x90\x6c", "NA.O.TO"},                // 直人
    {"\x96\xbe", "A.KI.RA"},                        // 明
    {"\x97\xba", "RYO.U"},                          // 亮
    {"\x97\x45", "I.SA.MU"},                        // 勇
    {"\x97\x44", "YU.U"},                           // 優
    {"\x97\x49", "HA.RU.KA"},                       // 悠
    {"\x90\xb9", "SA.TO.SHI"},                      // 聖
    {"\x8c\x62", "ME.GU.MI"},                       // 恵
    {"\x94\xfc\x8d\x81", "MI.KA"},                  // 美香
    {"\x93\xde\x81\x58", "NA.NA"},                  // 奈々
    {"\x8c\x92\x88\xea", "KE.N.I.CHI"},             // 健一
    {"\x8f\xab\x97\x59", "MA.SA.O"},                // 将雄
    {"\x89\x70\x8f\xba", "HI.DE.A.KI"},             // 英昭
    {"\x8f\x9f\x8c\xc8", "KA.TSU.MI"},              // 勝己
    {"\x90\xb3", "TA.DA.SHI"},                      // 正
    {"\x8c\xf5", "HI.KA.RU"},                       // 光
    {"\x97\xda\x90\xaf", "RYU.U.SE.I"},             // 瑠星
    {"\x95\x90\x8e\x6a", "TA.KE.SHI"},              // 武史
    {"\x91\xe5\x92\x6e", "DA.I.CHI"},               // 大地
    {"\x97\x46\x88\xea", "YU.U.I.CHI"},             // 友一
    {"\x94\xb9\x90\x6c", "HA.YA.TO"},               // 隼人
    {"\x88\xea\x8b\x50", "KA.ZU.KI"},               // 一輝
    {"\x8f\xb9\x8d\x4f", "MA.SA.HI.RO"},            // 昌弘
    {"\x8f\x47\x8e\xf7", "HI.DE.KI"},               // 秀樹
};
const std::string_view kPlaces[] = {
    "\x93\xfa\x8d\x82\x92\xac",                  // 日高町
    "\x90\x56\x8a\xa5\x92\xac",                  // 新冠町
    "\x89\x59\x89\xcd\x92\xac",                  // 浦河町
    "\x90\x56\x82\xd0\x82\xbe\x82\xa9\x92\xac",  // 新ひだか町
    "\x88\xc0\x95\xbd\x92\xac",                  // 安平町
    "\x90\xe7\x8d\xce\x8e\x73",                  // 千歳市
    "\x97\x6c\x8e\x97\x92\xac",                  // 様似町
    "\x95\xbd\x8e\xe6\x92\xac",                  // 平取町
    "\x94\x92\x98\x56\x92\xac",                  // 白老町
    "\x82\xde\x82\xa9\x82\xed\x92\xac",          // むかわ町
    "\x93\xb4\x96\xea\x8c\xce\x92\xac",          // 洞爺湖町
    "\x88\xc9\x92\x42\x8e\x73",                  // 伊達市
    "\x82\xa6\x82\xe8\x82\xe0\x92\xac",          // えりも町
    "\x90\xc2\x90\x58\x8c\xa7",                  // 青森県
    "\x90\xe7\x97\x74\x8c\xa7",                  // 千葉県
    "\x8e\xad\x8e\x99\x93\x87\x8c\xa7",          // 鹿児島県
    "\x8b\x7b\x8d\xe8\x8c\xa7",                  // 宮崎県
};
const std::string_view kAbroad[] = {
    "\x95\xc4",  // 米
    "\x89\x70",  // 英
    "\x88\xa4",  // 愛
    "\x95\xa7",  // 仏
    "\x8d\x8b",  // 豪
    "\x93\xc6",  // 独
    "\x89\xc1",  // 加
};
const std::string_view kPrefectures[] = {
    "\x96\x6b\x8a\x43\x93\xb9",          // 北海道
    "\x90\xc2\x90\x58\x8c\xa7",          // 青森県
    "\x8a\xe2\x8e\xe8\x8c\xa7",          // 岩手県
    "\x90\xe7\x97\x74\x8c\xa7",          // 千葉県
    "\x88\xef\x8f\xe9\x8c\xa7",          // 茨城県
    "\x93\xc8\x96\xd8\x8c\xa7",          // 栃木県
    "\x8b\x7b\x8d\xe8\x8c\xa7",          // 宮崎県
    "\x8e\xad\x8e\x99\x93\x87\x8c\xa7",  // 鹿児島県
    "\x8c\x46\x96\x7b\x8c\xa7",          // 熊本県
};
const std::string_view kColours[] = {
    "\x8d\x95",          // 黒
    "\x94\x92",          // 白
    "\x90\xd4",          // 赤
    "\x90\xc2",          // 青
    "\x89\xa9",          // 黄
    "\x97\xce",          // 緑
    "\x8e\x87",          // 紫
    "\x93\x8d",          // 桃
    "\x90\x85\x90\x46",  // 水色
    "\x92\x83",          // 茶
    "\x8a\x43\x98\x56",  // 海老
    "\x94\x96\x8e\x87",  // 薄紫
    "\x91\x6c",          // 鼠
    "\x89\xa9\x93\x79",  // 黄土
};
const std::string_view kPatterns[] = {
    "\x8f\x63\x8e\xc8",                          // 縦縞
    "\x89\xa1\x8e\xc8",                          // 横縞
    "\x8e\x52\x8c\x60\x88\xea\x96\x7b\x97\xd6",  // 山形一本輪
    "\x88\xea\x96\x7b\x97\xd6",                  // 一本輪
    "\x93\xf1\x96\x7b\x97\xd6",                  // 二本輪
    "\xe6\x46",                                  // 襷
    "\x90\xaf\x8e\x55\x82\xe7\x82\xb5",          // 星散らし
    "\x95\x48\x8e\x52\x8c\x60",                  // 菱山形
    "\x8c\xb3\x98\x5c",                          // 元禄
    "\x8e\xd6\x82\xcc\x96\xda",                  // 蛇の目
    "\x88\xe4\x8c\x85\xe3\x52",                  // 井桁絣
    "\x8a\x69\x8e\x71",                          // 格子
    "\xe8\xc5",                                  // 霰
    "\x91\xd1",                                  // 帯
    "\x8b\x98\x8e\x95\x8c\x60",                  // 鋸歯形
    "\x95\x48\x8c\x60",                          // 菱形
};
const Named kVenueNames[] = {
    {"\x8e\x44\x96\x79", "Sapporo"},    // 札幌
    {"\x94\x9f\x8a\xd9", "Hakodate"},   // 函館
    {"\x95\x9f\x93\x87", "Fukushima"},  // 福島
    {"\x90\x56\x8a\x83", "Niigata"},    // 新潟
    {"\x93\x8c\x8b\x9e", "Tokyo"},      // 東京
    {"\x92\x86\x8e\x52", "Nakayama"},   // 中山
    {"\x92\x86\x8b\x9e", "Chukyo"},     // 中京
    {"\x8b\x9e\x93\x73", "Kyoto"},      // 京都
    {"\x8d\xe3\x90\x5f", "Hanshin"},    // 阪神
    {"\x8f\xac\x91\x71", "Kokura"},     // 小倉
};
const Named kRaceSuffixes[] = {
    {"\x8b\x4c\x94\x4f", "Kinen"},                           // 記念
    {"\x91\xe5\x8f\xdc\x93\x54", "Daishoten"},               // 大賞典
    {"\x83\x58\x83\x65\x81\x5b\x83\x4e\x83\x58", "Stakes"},  // ステークス
    {"\x93\xc1\x95\xca", "Tokubetsu"},                       // 特別
    {"\x83\x4a\x83\x62\x83\x76", "Cup"},                     // カップ
    {"\x94\x74", "Hai"},                                     // 杯
    {"\x96\xc4\x94\x6e\x83\x58\x83\x65\x81\x5b\x83\x4e\x83\x58", "Himba Stakes"},  // 牝馬ステークス
    {"\x83\x57\x83\x83\x83\x93\x83\x76\x83\x58\x83\x65\x81\x5b\x83\x4e\x83\x58",
     "Jump Stakes"},  // ジャンプステークス
    {"\x83\x6e\x83\x93\x83\x66\x83\x4c\x83\x83\x83\x62\x83\x76", "Handicap"},  // ハンデキャップ
    {"\x8f\xdc", "Sho"},                                                       // 賞
};
const Named kRaceWords[] = {
    {"\x8d\xf7", "Sakura"},                     // 桜
    {"\x8b\x65", "Kiku"},                       // 菊
    {"\x8e\x87\x89\x91", "Shion"},              // 紫苑
    {"\x8e\xe1\x97\x74", "Wakaba"},             // 若葉
    {"\x90\xc2\x97\x74", "Aoba"},               // 青葉
    {"\x8e\x48\x8c\x8e", "Satsuki"},            // 皐月
    {"\x92\xa9\x93\xfa", "Asahi"},              // 朝日
    {"\x94\x92\x95\x53\x8d\x87", "Shirayuri"},  // 白百合
    {"\x8d\x67\x97\x74", "Momiji"},             // 紅葉
    {"\x96\xc2\x94\xf6", "Naruo"},              // 鳴尾
    {"\x8f\x48\x95\x97", "Akikaze"},            // 秋風
    {"\x8f\x74\x97\x8b", "Shunrai"},            // 春雷
    {"\x89\xc4\x8e\x8a", "Geshi"},              // 夏至
    {"\x8f\xac\x90\xe1", "Koyuki"},             // 小雪
    {"\x8b\xe2\x97\xe4", "Ginrei"},             // 銀嶺
    {"\x94\xf2\x92\xb9", "Asuka"},              // 飛鳥
    {"\x95\x78\x8e\x6d", "Fuji"},               // 富士
    {"\x93\x56\x8d\x63", "Tenno"},              // 天皇
    {"\x95\xf3\x92\xcb", "Takarazuka"},         // 宝塚
    {"\x8b\xe0\xe9\xcd", "Kinko"},              // 金鯱
};
const std::string_view kAgeTexts[] = {
    "\x82\x51\x8d\xce",                                  // ２歳
    "\x82\x52\x8d\xce",                                  // ３歳
    "\x82\x52\x8d\xce\x88\xc8\x8f\xe3",                  // ３歳以上
    "\x82\x53\x8d\xce\x88\xc8\x8f\xe3",                  // ４歳以上
    "\x8f\xe1\x8a\x51\x82\x52\x8d\xce\x88\xc8\x8f\xe3",  // 障害３歳以上
    "\x8f\xe1\x8a\x51\x82\x53\x8d\xce\x88\xc8\x8f\xe3",  // 障害４歳以上
};
const std::string_view kClassTexts[] = {
    "\x90\x56\x94\x6e",                          // 新馬
    "\x96\xa2\x8f\x9f\x97\x98",                  // 未勝利
    "\x82\x50\x8f\x9f\x83\x4e\x83\x89\x83\x58",  // １勝クラス
    "\x82\x51\x8f\x9f\x83\x4e\x83\x89\x83\x58",  // ２勝クラス
    "\x82\x52\x8f\x9f\x83\x4e\x83\x89\x83\x58",  // ３勝クラス
    "\x83\x49\x81\x5b\x83\x76\x83\x93",          // オープン
};
const std::string_view kCorporateForms[] = {
    "\x81\x69\x8a\x94\x81\x6a",  // （株）
    "\x81\x69\x97\x4c\x81\x6a",  // （有）
};
const Named kMarkets[] = {
    {"\x83\x5a\x83\x8c\x83\x4e\x83\x67\x83\x5a\x81\x5b\x83\x8b", "Select Sale"},  // セレクトセール
    {"\x83\x5a\x83\x8c\x83\x4e\x83\x56\x83\x87\x83\x93\x83\x5a\x81\x5b\x83\x8b",
     "Selection Sale"},  // セレクションセール
    {"\x83\x54\x83\x7d\x81\x5b\x83\x5a\x81\x5b\x83\x8b", "Summer Sale"},  // サマーセール
    {"\x83\x49\x81\x5b\x83\x5e\x83\x80\x83\x5a\x81\x5b\x83\x8b", "Autumn Sale"},  // オータムセール
    {"\x90\xe7\x97\x74\x83\x54\x83\x89\x83\x75\x83\x8c\x83\x62\x83\x68\x83\x5a\x81\x5b\x83\x8b",
     "Chiba Thoroughbred Sale"},  // 千葉サラブレッドセール
    {"\x83\x67\x83\x8c\x81\x5b\x83\x6a\x83\x93\x83\x4f\x83\x5a\x81\x5b\x83\x8b",
     "Training Sale"},  // トレーニングセール
    {"\x8b\xe3\x8f\x42\x82\x50\x8d\xce\x8e\x73\x8f\xea", "Kyushu Yearling Sale"},  // 九州１歳市場
};
const std::string_view kOrganisers[] = {
    "\x93\xfa\x96\x7b\x8b\xa3\x91\x96\x94\x6e\x8b\xa6\x89\xef",  // 日本競走馬協会
    "\x93\xfa\x8d\x82\x8c\x79\x8e\xed\x94\x6e\x94\x5f\x8b\xc6\x8b\xa6\x93\xaf\x91\x67\x8d"
    "\x87",  // 日高軽種馬農業協同組合
    "\x90\xe7\x97\x74\x8c\xa7\x97\xbc\x91\x8d\x94\x6e\x95\x43\x94\x5f\x8b\xc6\x8b\xa6\x93"
    "\xaf\x91\x67\x8d\x87",  // 千葉県両総馬匹農業協同組合
    "\x8b\xe3\x8f\x42\x8c\x79\x8e\xed\x94\x6e\x8b\xa6\x89\xef",  // 九州軽種馬協会
};
const std::string_view kRegions[] = {
    "\x91\xe5\x88\xe4",                                          // 大井
    "\x91\x44\x8b\xb4",                                          // 船橋
    "\x90\xec\x8d\xe8",                                          // 川崎
    "\x89\x59\x98\x61",                                          // 浦和
    "\x89\x80\x93\x63",                                          // 園田
    "\x8a\x7d\x8f\xbc",                                          // 笠松
    "\x8b\xe0\x91\xf2",                                          // 金沢
    "\x8d\x82\x92\x6d",                                          // 高知
    "\x8d\xb2\x89\xea",                                          // 佐賀
    "\x96\xe5\x95\xca",                                          // 門別
    "\x83\x74\x83\x89\x83\x93\x83\x58",                          // フランス
    "\x83\x43\x83\x4d\x83\x8a\x83\x58",                          // イギリス
    "\x83\x41\x83\x43\x83\x8b\x83\x89\x83\x93\x83\x68",          // アイルランド
    "\x83\x49\x81\x5b\x83\x58\x83\x67\x83\x89\x83\x8a\x83\x41",  // オーストラリア
    "\x83\x41\x83\x81\x83\x8a\x83\x4a",                          // アメリカ
    "\x83\x43\x83\x5e\x83\x8a\x83\x41",                          // イタリア
};

const Org kOrgSuffixes[] = {
    {"\x96\x71\x8f\xea", "BO.KU.JO.U", "Bokujo"},                             // 牧場
    {"\x83\x74\x83\x40\x81\x5b\x83\x80", "FA.-.MU", "Farm"},                  // ファーム
    {"\x83\x58\x83\x5e\x83\x62\x83\x68", "SU.TA.TSU.DO", "Stud"},             // スタッド
    {"\x83\x8c\x81\x5b\x83\x56\x83\x93\x83\x4f", "RE.-.SHI.N.GU", "Racing"},  // レーシング
    {"\x83\x7a\x81\x5b\x83\x8b\x83\x66\x83\x42\x83\x93\x83\x4f\x83\x58", "HO.-.RU.DI.N.GU.SU",
     "Holdings"},  // ホールディングス
    {"\x83\x58\x83\x65\x81\x5b\x83\x75\x83\x8b", "SU.TE.-.BU.RU", "Stable"},  // ステーブル
    {"\x8f\xa4\x8e\x96", "SHO.U.JI", "Shoji"},                                // 商事
    {"\x8b\xbb\x8e\x59", "KO.U.SA.N", "Kosan"},                               // 興産
};
const Syllable kSyllables[] = {
    {"\x83\x41", "\xb1", "A"},                    // ア
    {"\x83\x43", "\xb2", "I"},                    // イ
    {"\x83\x45", "\xb3", "U"},                    // ウ
    {"\x83\x47", "\xb4", "E"},                    // エ
    {"\x83\x49", "\xb5", "O"},                    // オ
    {"\x83\x4a", "\xb6", "KA"},                   // カ
    {"\x83\x4c", "\xb7", "KI"},                   // キ
    {"\x83\x4e", "\xb8", "KU"},                   // ク
    {"\x83\x50", "\xb9", "KE"},                   // ケ
    {"\x83\x52", "\xba", "KO"},                   // コ
    {"\x83\x54", "\xbb", "SA"},                   // サ
    {"\x83\x56", "\xbc", "SHI"},                  // シ
    {"\x83\x58", "\xbd", "SU"},                   // ス
    {"\x83\x5a", "\xbe", "SE"},                   // セ
    {"\x83\x5c", "\xbf", "SO"},                   // ソ
    {"\x83\x5e", "\xc0", "TA"},                   // タ
    {"\x83\x60", "\xc1", "CHI"},                  // チ
    {"\x83\x63", "\xc2", "TSU"},                  // ツ
    {"\x83\x65", "\xc3", "TE"},                   // テ
    {"\x83\x67", "\xc4", "TO"},                   // ト
    {"\x83\x69", "\xc5", "NA"},                   // ナ
    {"\x83\x6a", "\xc6", "NI"},                   // ニ
    {"\x83\x6b", "\xc7", "NU"},                   // ヌ
    {"\x83\x6c", "\xc8", "NE"},                   // ネ
    {"\x83\x6d", "\xc9", "NO"},                   // ノ
    {"\x83\x6e", "\xca", "HA"},                   // ハ
    {"\x83\x71", "\xcb", "HI"},                   // ヒ
    {"\x83\x74", "\xcc", "FU"},                   // フ
    {"\x83\x77", "\xcd", "HE"},                   // ヘ
    {"\x83\x7a", "\xce", "HO"},                   // ホ
    {"\x83\x7d", "\xcf", "MA"},                   // マ
    {"\x83\x7e", "\xd0", "MI"},                   // ミ
    {"\x83\x80", "\xd1", "MU"},                   // ム
    {"\x83\x81", "\xd2", "ME"},                   // メ
    {"\x83\x82", "\xd3", "MO"},                   // モ
    {"\x83\x84", "\xd4", "YA"},                   // ヤ
    {"\x83\x86", "\xd5", "YU"},                   // ユ
    {"\x83\x88", "\xd6", "YO"},                   // ヨ
    {"\x83\x89", "\xd7", "RA"},                   // ラ
    {"\x83\x8a", "\xd8", "RI"},                   // リ
    {"\x83\x8b", "\xd9", "RU"},                   // ル
    {"\x83\x8c", "\xda", "RE"},                   // レ
    {"\x83\x8d", "\xdb", "RO"},                   // ロ
    {"\x83\x8f", "\xdc", "WA"},                   // ワ
    {"\x83\x93", "\xdd", "N"},                    // ン
    {"\x83\x4b", "\xb6\xde", "GA"},               // ガ
    {"\x83\x4d", "\xb7\xde", "GI"},               // ギ
    {"\x83\x4f", "\xb8\xde", "GU"},               // グ
    {"\x83\x51", "\xb9\xde", "GE"},               // ゲ
    {"\x83\x53", "\xba\xde", "GO"},               // ゴ
    {"\x83\x55", "\xbb\xde", "ZA"},               // ザ
    {"\x83\x57", "\xbc\xde", "JI"},               // ジ
    {"\x83\x59", "\xbd\xde", "ZU"},               // ズ
    {"\x83\x5b", "\xbe\xde", "ZE"},               // ゼ
    {"\x83\x5d", "\xbf\xde", "ZO"},               // ゾ
    {"\x83\x5f", "\xc0\xde", "DA"},               // ダ
    {"\x83\x66", "\xc3\xde", "DE"},               // デ
    {"\x83\x68", "\xc4\xde", "DO"},               // ド
    {"\x83\x6f", "\xca\xde", "BA"},               // バ
    {"\x83\x72", "\xcb\xde", "BI"},               // ビ
    {"\x83\x75", "\xcc\xde", "BU"},               // ブ
    {"\x83\x78", "\xcd\xde", "BE"},               // ベ
    {"\x83\x7b", "\xce\xde", "BO"},               // ボ
    {"\x83\x70", "\xca\xdf", "PA"},               // パ
    {"\x83\x73", "\xcb\xdf", "PI"},               // ピ
    {"\x83\x76", "\xcc\xdf", "PU"},               // プ
    {"\x83\x79", "\xcd\xdf", "PE"},               // ペ
    {"\x83\x7c", "\xce\xdf", "PO"},               // ポ
    {"\x83\x4c\x83\x83", "\xb7\xac", "KYA"},      // キャ
    {"\x83\x4c\x83\x85", "\xb7\xad", "KYU"},      // キュ
    {"\x83\x4c\x83\x87", "\xb7\xae", "KYO"},      // キョ
    {"\x83\x56\x83\x83", "\xbc\xac", "SHA"},      // シャ
    {"\x83\x56\x83\x85", "\xbc\xad", "SHU"},      // シュ
    {"\x83\x56\x83\x87", "\xbc\xae", "SHO"},      // ショ
    {"\x83\x60\x83\x83", "\xc1\xac", "CHA"},      // チャ
    {"\x83\x60\x83\x85", "\xc1\xad", "CHU"},      // チュ
    {"\x83\x60\x83\x87", "\xc1\xae", "CHO"},      // チョ
    {"\x83\x6a\x83\x83", "\xc6\xac", "NYA"},      // ニャ
    {"\x83\x6a\x83\x85", "\xc6\xad", "NYU"},      // ニュ
    {"\x83\x6a\x83\x87", "\xc6\xae", "NYO"},      // ニョ
    {"\x83\x71\x83\x83", "\xcb\xac", "HYA"},      // ヒャ
    {"\x83\x71\x83\x87", "\xcb\xae", "HYO"},      // ヒョ
    {"\x83\x8a\x83\x83", "\xd8\xac", "RYA"},      // リャ
    {"\x83\x8a\x83\x85", "\xd8\xad", "RYU"},      // リュ
    {"\x83\x8a\x83\x87", "\xd8\xae", "RYO"},      // リョ
    {"\x83\x57\x83\x83", "\xbc\xde\xac", "JA"},   // ジャ
    {"\x83\x57\x83\x85", "\xbc\xde\xad", "JU"},   // ジュ
    {"\x83\x57\x83\x87", "\xbc\xde\xae", "JO"},   // ジョ
    {"\x83\x72\x83\x83", "\xcb\xde\xac", "BYA"},  // ビャ
    {"\x83\x72\x83\x87", "\xcb\xde\xae", "BYO"},  // ビョ
    {"\x83\x73\x83\x83", "\xcb\xdf\xac", "PYA"},  // ピャ
    {"\x83\x73\x83\x87", "\xcb\xdf\xae", "PYO"},  // ピョ
    {"\x83\x94\x83\x42", "\xb3\xde\xa8", "VI"},   // ヴィ
    {"\x83\x65\x83\x42", "\xc3\xa8", "TI"},       // ティ
    {"\x83\x66\x83\x42", "\xc3\xde\xa8", "DI"},   // ディ
    {"\x83\x74\x83\x40", "\xcc\xa7", "FA"},       // ファ
    {"\x83\x74\x83\x42", "\xcc\xa8", "FI"},       // フィ
    {"\x83\x45\x83\x42", "\xb3\xa8", "WI"},       // ウィ
    {"\x81\x5b", "\xb0", "-"},                    // ー
};

constexpr std::string_view kIdeographicSpace = "\x81\x40";
constexpr std::string_view kWideComma = "\x81\x43";
constexpr std::string_view kWideDot = "\x81\x44";
constexpr std::string_view kSleeve = "\x91\xb3";  // 袖

const Syllable& SyllableOf(std::string_view latin) {
  static const auto* index = [] {
    auto* m = new std::unordered_map<std::string_view, const Syllable*>;
    for (const Syllable& s : kSyllables) m->emplace(s.latin, &s);
    return m;
  }();
  return *index->at(latin);
}

// Plain syllables are common in names, voiced ones less, contracted and
// foreign-sounding ones rare.
const WeightedPicker& SyllablePicker() {
  static const WeightedPicker p = [] {
    std::vector<double> w;
    for (const Syllable& s : kSyllables) {
      if (s.full.size() > 2)
        w.push_back(1.0);
      else if (s.latin == "-")
        w.push_back(2.0);
      else if (s.half.size() > 1)
        w.push_back(2.0);
      else
        w.push_back(4.0);
    }
    return WeightedPicker(w);
  }();
  return p;
}

std::string Capitalised(std::string_view upper) {
  std::string s(upper);
  for (size_t i = 1; i < s.size(); ++i)
    if (s[i] >= 'A' && s[i] <= 'Z' && s[i - 1] != ' ') s[i] = static_cast<char>(s[i] - 'A' + 'a');
  return s;
}

// Half-width reading and Latin letters of a '.'-separated syllable reading.
void ReadingForms(std::string_view reading, std::string& half, std::string& latin) {
  size_t start = 0;
  while (start <= reading.size()) {
    size_t dot = reading.find('.', start);
    if (dot == std::string_view::npos) dot = reading.size();
    std::string_view syl = reading.substr(start, dot - start);
    const Syllable& s = SyllableOf(syl);
    half += s.half;
    if (syl != "-") latin += syl;
    start = dot + 1;
  }
}

NameForms FromReading(const Named& n) {
  NameForms f{std::string(n.text), "", ""};
  ReadingForms(n.reading, f.half, f.latin);
  f.latin = Capitalised(f.latin);
  return f;
}

}  // namespace

std::string_view CutText(std::string_view text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t len = ((c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc)) ? 2 : 1;
    if (i + len > bytes) break;
    i += len;
  }
  return text.substr(0, i);
}

std::string FirstChars(std::string_view text, size_t n) {
  return std::string(text.substr(0, std::min(text.size(), 2 * n)));
}

NameForms HorseName(Rng& rng, int max_chars) {
  const int target = rng.Range(2, max_chars);
  NameForms f;
  int chars = 0;
  std::string_view prev;
  std::vector<std::string> words(1);
  while (chars < target) {
    const Syllable& s = kSyllables[SyllablePicker().Pick(rng)];
    const int n = static_cast<int>(s.full.size() / 2);
    if (chars + n > target) continue;
    if (s.latin == "-" && (chars == 0 || prev == "-" || prev == "N")) continue;
    if (s.latin == "N" && (chars == 0 || prev == "N")) continue;
    // Longer names read as two words in Latin letters.
    if (chars >= 3 && chars + n < target && words.size() == 1 && rng.Chance(0.25) &&
        s.latin != "-" && s.latin != "N")
      words.emplace_back();
    f.full += s.full;
    f.half += s.half;
    if (s.latin != "-") words.back() += s.latin;
    chars += n;
    prev = s.latin;
  }
  for (const std::string& w : words) {
    if (!f.latin.empty()) f.latin += ' ';
    f.latin += Capitalised(w);
  }
  return f;
}

PersonName RandomPerson(Rng& rng) {
  const Named& s = rng.Pick(kSurnames);
  const Named& g = rng.Pick(kGivenNames);
  NameForms sf = FromReading(s), gf = FromReading(g);
  PersonName p;
  p.forms.full = sf.full + std::string(kIdeographicSpace) + gf.full;
  p.forms.half = sf.half + " " + gf.half;
  p.forms.latin = gf.latin + " " + sf.latin;
  p.short_name = FirstChars(sf.full + FirstChars(gf.full, 1), 4);
  p.surname = sf.full;
  return p;
}

PersonName ForeignPerson(Rng& rng) {
  const int initial = rng.Range(0, 25);
  NameForms s = HorseName(rng, 5);
  PersonName p;
  std::string wide_initial = {'\x82', static_cast<char>(0x60 + initial)};
  p.forms.full = wide_initial + std::string(kWideDot) + s.full;
  p.forms.half = std::string(1, static_cast<char>('A' + initial)) + "." + s.half;
  p.forms.latin = std::string(1, static_cast<char>('A' + initial)) + ". " + s.latin;
  p.short_name = FirstChars(p.forms.full, 4);
  p.surname = s.full;
  return p;
}

namespace {

// Corporate form text and its half-width abbreviation.
struct CorporateForm {
  std::string_view text, half;
};
CorporateForm CorporateFormOf(int i) { return {kCorporateForms[i], i == 0 ? "\xb6)" : "\xd5)"}; }

OrgName WithForm(std::string plain, std::string plain_half, std::string latin, int form) {
  OrgName o;
  o.plain = plain;
  o.plain_half = plain_half;
  o.forms.latin = std::move(latin);
  if (form < 0) {
    o.forms.full = std::move(plain);
    o.forms.half = std::move(plain_half);
  } else {
    CorporateForm c = CorporateFormOf(form);
    o.forms.full = std::string(c.text) + plain;
    o.forms.half = std::string(c.half) + plain_half;
  }
  return o;
}

OrgName Suffixed(const NameForms& base, const Org& suffix, int form) {
  std::string half, latin;
  ReadingForms(suffix.reading, half, latin);
  return WithForm(base.full + std::string(suffix.text), base.half + half,
                  base.latin + " " + std::string(suffix.latin), form);
}

OrgName PersonOrg(Rng& rng) {
  PersonName p = RandomPerson(rng);
  return WithForm(p.forms.full, p.forms.half, p.forms.latin, -1);
}

}  // namespace

OrgName OwnerName(Rng& rng) {
  if (rng.Chance(0.55)) return PersonOrg(rng);
  NameForms word = HorseName(rng, 5);
  const Org& suffix = kOrgSuffixes[rng.Range(3, 7)];
  return Suffixed(word, suffix, rng.Range(0, 1));
}

OrgName BreederName(Rng& rng) {
  const double r = rng.Unit();
  if (r < 0.4) return PersonOrg(rng);
  if (r < 0.75) {
    NameForms s = FromReading(rng.Pick(kSurnames));
    return Suffixed(s, kOrgSuffixes[0], rng.Chance(0.5) ? 1 : -1);
  }
  NameForms word = HorseName(rng, 5);
  const Org& suffix = kOrgSuffixes[rng.Range(0, 2)];
  return Suffixed(word, suffix, rng.Chance(0.3) ? 0 : -1);
}

OrgName Reincorporated(const OrgName& old, Rng& rng) {
  const int form = old.forms.full.size() > old.plain.size() ? 0 : rng.Range(0, 1);
  return WithForm(old.plain, old.plain_half, old.forms.latin, form);
}

std::string RacingColours(Rng& rng) {
  std::string s(rng.Pick(kColours));
  s += kWideComma;
  s += rng.Pick(kColours);
  s += rng.Pick(kPatterns);
  if (rng.Chance(0.6)) {
    s += kWideComma;
    s += kSleeve;
    s += rng.Pick(kColours);
    s += rng.Pick(kPatterns);
  }
  return std::string(CutText(s, 60));
}

std::string_view Birthplace(Rng& rng, bool abroad) {
  if (abroad) return rng.Pick(kAbroad);
  // Most foals come from a handful of towns in Hidaka and Iburi.
  const int i =
      rng.Chance(0.7) ? rng.Range(0, 4) : rng.Range(0, static_cast<int>(std::size(kPlaces)) - 1);
  return kPlaces[i];
}

std::string_view Prefecture(Rng& rng) {
  return rng.Chance(0.8) ? kPrefectures[0] : rng.Pick(kPrefectures);
}

std::string_view InvitationRegion(int index) { return kRegions[index % std::size(kRegions)]; }
std::string_view VenueName(int venue) { return kVenueNames[venue - 1].text; }
std::string_view VenueLatin(int venue) { return kVenueNames[venue - 1].reading; }

RaceName SpecialRaceName(Rng& rng, int venue, bool graded, bool jump) {
  RaceName n;
  static constexpr int kGradedSuffixes[] = {0, 1, 2, 5, 6};
  static constexpr int kSpecialSuffixes[] = {2, 3, 4, 8, 9};
  const Named& suffix = jump     ? kRaceSuffixes[7]
                        : graded ? kRaceSuffixes[rng.Pick(kGradedSuffixes)]
                                 : kRaceSuffixes[rng.Pick(kSpecialSuffixes)];
  const Named& first =
      (graded && rng.Chance(0.5)) || jump ? kVenueNames[venue - 1] : rng.Pick(kRaceWords);
  n.forms.full = std::string(first.text) + std::string(suffix.text);
  n.forms.latin = std::string(first.reading) + " " + std::string(suffix.reading);
  return n;
}

std::string ConditionName(int age_index, int class_index) {
  return std::string(kAgeTexts[age_index]) + std::string(kClassTexts[class_index]);
}

Market MarketOf(int index) { return {kMarkets[index].text, kMarkets[index].reading}; }
int MarketCount() { return static_cast<int>(std::size(kMarkets)); }
std::string_view Organiser(int index) { return kOrganisers[index]; }

}  // namespace volq::gen
