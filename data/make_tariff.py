#!/usr/bin/env python3
"""Writes the development tariff data/Charge.ini.

The fees are made up: they follow a rough distance model (nearer is cheaper,
heavier and larger is dearer, Hokkaido and Okinawa are dear from the main
islands) so that every quote can be computed and looks plausible. Replace
the file with a real tariff before relying on any amount.

    python3 data/make_tariff.py            # rewrite data/Charge.ini
    python3 data/make_tariff.py OUT.ini    # write elsewhere
    python3 data/make_tariff.py --check    # fail when data/Charge.ini is stale

The file is code page 932 with CR LF line ends, as the program reads it.
Table values are fixed-width fields counted in bytes from the first
non-blank character, so every value starts with a non-blank character.
"""

import math
import sys
from pathlib import Path

# Rows of the prefecture lists: caption, latitude and longitude of the
# prefectural capital (None for separator rows), クロネコ region.
ROWS = [
    ("北海道", 43.06, 141.35, "北海道"),
    ("━━東北", None, None, None),
    ("青森", 40.82, 140.74, "北東北"),
    ("岩手", 39.70, 141.15, "北東北"),
    ("秋田", 39.72, 140.10, "北東北"),
    ("山形", 38.24, 140.36, "南東北"),
    ("宮城", 38.27, 140.87, "南東北"),
    ("福島", 37.75, 140.47, "南東北"),
    ("━━関東・信越", None, None, None),
    ("茨城", 36.34, 140.45, "関東"),
    ("栃木", 36.57, 139.88, "関東"),
    ("群馬", 36.39, 139.06, "関東"),
    ("埼玉", 35.86, 139.65, "関東"),
    ("千葉", 35.61, 140.12, "関東"),
    ("東京", 35.69, 139.69, "関東"),
    ("神奈川", 35.45, 139.64, "関東"),
    ("山梨", 35.66, 138.57, "関東"),
    ("新潟", 37.90, 139.02, "信越"),
    ("長野", 36.65, 138.18, "信越"),
    ("━━北陸・中部", None, None, None),
    ("富山", 36.70, 137.21, "北陸"),
    ("石川", 36.59, 136.63, "北陸"),
    ("福井", 36.07, 136.22, "北陸"),
    ("静岡", 34.98, 138.38, "中部"),
    ("愛知", 35.18, 136.91, "中部"),
    ("岐阜", 35.39, 136.72, "中部"),
    ("三重", 34.73, 136.51, "中部"),
    ("━━近畿", None, None, None),
    ("滋賀", 35.00, 135.87, "近畿"),
    ("京都", 35.02, 135.76, "近畿"),
    ("大阪", 34.69, 135.52, "近畿"),
    ("兵庫", 34.69, 135.18, "近畿"),
    ("奈良", 34.69, 135.83, "近畿"),
    ("和歌山", 34.23, 135.17, "近畿"),
    ("━━中国・四国", None, None, None),
    ("鳥取", 35.50, 134.24, "中国"),
    ("岡山", 34.66, 133.93, "中国"),
    ("島根", 35.47, 133.05, "中国"),
    ("広島", 34.40, 132.46, "中国"),
    ("山口", 34.19, 131.47, "中国"),
    ("香川", 34.34, 134.04, "四国"),
    ("徳島", 34.07, 134.56, "四国"),
    ("愛媛", 33.84, 132.77, "四国"),
    ("高知", 33.56, 133.53, "四国"),
    ("━━九州", None, None, None),
    ("福岡", 33.61, 130.42, "九州"),
    ("佐賀", 33.25, 130.30, "九州"),
    ("長崎", 32.74, 129.87, "九州"),
    ("大分", 33.24, 131.61, "九州"),
    ("熊本", 32.79, 130.74, "九州"),
    ("宮崎", 31.91, 131.42, "九州"),
    ("鹿児島", 31.56, 130.56, "九州"),
    ("沖縄", 26.21, 127.68, "沖縄"),
    ("━━特殊地域", None, None, None),  # destination list only
    ("同一市内", None, None, "同一市内"),  # destination list only
]
SENDING_ROWS = 53
SAME_CITY_ROW = 54

# Centres of the クロネコ regions.
CAT_REGIONS = [
    ("北海道", 43.06, 141.35),
    ("北東北", 40.10, 140.70),
    ("南東北", 38.10, 140.60),
    ("関東", 35.90, 139.70),
    ("信越", 37.30, 138.60),
    ("北陸", 36.50, 136.70),
    ("中部", 35.10, 137.10),
    ("近畿", 34.70, 135.50),
    ("中国", 34.80, 133.00),
    ("四国", 33.90, 133.70),
    ("九州", 32.90, 130.70),
    ("沖縄", 26.20, 127.70),
]

YOUPACK_WEIGHTS_KG = [2, 4, 5, 6, 8, 10, 12, 14, 15, 16, 18, 20, 25, 30]
CAT_SIZE_CLASSES = 6

# Letter mail per postal weight row; rows 0 and 3 are headings.
LETTER_FEES = [0, 80, 90, 0, 120, 140, 160, 200, 240, 270, 390, 580, 700, 850,
               1000, 1150, 1300, 1450]
# Book parcels: up to 150 g, 200 g, 250 g, 500 g, 750 g, 1 kg, 1.5 kg, 2 kg,
# 2.5 kg, 3 kg.
BOOK_FEES = [180, 200, 215, 300, 340, 350, 400, 450, 500, 550]

# Remittance fees per amount class 0 to 7 (class 0: no amount or over 200).
REMITTANCE = {
    "普通為替": [0, 100, 200, 300, 400, 420, 440, 500],
    "速達普通為替": [0, 380, 480, 580, 680, 700, 720, 780],
    "電信居宅払": [0, 450, 550, 650, 750, 770, 800, 900],
    "電信窓口払": [0, 400, 500, 600, 700, 720, 750, 850],
    "電信証書送達": [0, 500, 600, 700, 800, 820, 850, 950],
    "電信証書留置": [0, 450, 550, 650, 750, 770, 800, 900],
    "通常払込": [0, 70, 100, 130, 340, 360, 380, 400],
    "速達通常払込": [0, 350, 380, 410, 620, 640, 660, 680],
    "電信払込": [0, 150, 200, 250, 500, 520, 540, 600],
}

# Single-valued option fees: section, [(key, yen)].
OPTIONS = [
    ("着払", [("料金", 30)]),
    ("速達", [("2kg", 300), ("4kg", 450), ("5kg", 550)]),
    ("配達日指定", [("料金", 60)]),
    ("チルド", [("4kg以下", 200), ("8kg以下", 350), ("20kg以下", 650)]),
    ("ゆうパック代引", [("基本料金", 260)]),
    ("自宅から", [("料金", 100)]),
    ("タイムサービス", [("料金%d" % (c + 1), f) for c, f in
                       enumerate([300, 300, 350, 350, 400, 400])]),
    ("クール", [("料金%d" % (c + 1), f) for c, f in
              enumerate([220, 220, 330, 440, 660, 880])]),
    ("代金引換", [("料金%d" % c, f) for c, f in enumerate([300, 300, 400, 600, 1000])]),
    ("複数口", [("料金", 100)]),
    ("市内特別", [("料金%d" % (i + 1), f) for i, f in
              enumerate([10, 15, 20, 25, 35, 40, 45])]),
    ("普通速達", [("料金1", 280), ("料金2", 380), ("料金3", 650)]),
    ("配達記録", [("料金", 220)]),
    ("翌朝10時", [("料金1", 340), ("料金2", 370), ("料金3", 400)]),
    ("簡易書留", [("料金", 300)]),
    ("書留", [("料金", 430)]),
    ("本人限定", [("料金", 110)]),
]
LETTER_COD_FEE = 260
BOOK_OPTIONS = [("着払い", 25), ("速達1", 300), ("速達2", 450), ("配達日指定", 60),
                ("簡易書留", 300), ("書留", 430), ("代引料金", 260)]

# Table values start with three characters that are never read.
LEAD = "000"


def distance_km(lat1, lon1, lat2, lon2):
    """Great-circle distance."""
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dp, dl = p2 - p1, math.radians(lon2 - lon1)
    a = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 2 * 6371 * math.asin(math.sqrt(a))


def band(km, limits):
    """1 + the number of limits that km reaches."""
    return 1 + sum(1 for limit in limits if km >= limit)


def youpack_zone(src, dst):
    """ゆうパック zone 1 (own prefecture) to 9 (Okinawa from elsewhere)."""
    if src == dst:
        return 1
    s, d = ROWS[src], ROWS[dst]
    if "沖縄" in (s[0], d[0]):
        return 9
    zone = band(distance_km(s[1], s[2], d[1], d[2]), [1, 150, 300, 500, 700, 900])
    if "北海道" in (s[0], d[0]):
        zone = min(zone + 2, 8)  # across the strait
    return zone


def zone_row(src):
    """The 55 zone characters of one sending prefecture."""
    chars = []
    for dst in range(len(ROWS)):
        if dst == SAME_CITY_ROW:
            chars.append("1")
            continue
        # A separator row takes the zone of the first place of its group.
        place = dst
        while ROWS[place][1] is None and place != SAME_CITY_ROW:
            place += 1
        chars.append("1" if place == SAME_CITY_ROW else str(youpack_zone(src, place)))
    return "".join(chars)


def round10(yen):
    return int(round(yen / 10.0)) * 10


def youpack_fee(zone, kg):
    return round10(500 + 50 * kg + (zone - 1) * (90 + 12 * kg))


def cat_zone(src, dst):
    """0 within a region up to 9 between Okinawa and elsewhere."""
    if src == dst:
        return 0
    s, d = CAT_REGIONS[src], CAT_REGIONS[dst]
    if "沖縄" in (s[0], d[0]):
        return 9
    zone = band(distance_km(s[1], s[2], d[1], d[2]), [250, 450, 650, 850, 1100])
    if "北海道" in (s[0], d[0]):
        zone = min(zone + 2, 7)
    return zone


def cat_fee(zone, size_class):
    """The stored fee, collection included."""
    return round10(740 + 200 * size_class + zone * (110 + 20 * size_class))


def fields(numbers, width=4):
    text = "".join("%*d" % (width, n) for n in numbers)
    assert all(len("%d" % n) <= width for n in numbers), numbers
    return text


def entry(key, value, key_width=0):
    """key=value with the key padded (blanks before "=" are trimmed away)."""
    pad = key_width - len(key.encode("cp932"))
    return key + " " * max(pad, 0) + "=" + str(value)


def ruler(labels, key_width, width=4):
    """A comment line naming the fields of the table below it."""
    head = ";" + " " * (key_width + len(LEAD))  # ";" stands where "=" stands
    return head + "".join(label.rjust(width) for label in labels)


def build():
    lines = [
        "; はこ丸 development tariff: made-up fees for building and testing.",
        "; Generated by data/make_tariff.py; edit that script and rerun",
        ";     python3 data/make_tariff.py",
        "; instead of editing this file. Code page 932, CR LF line ends.",
        "; Table values: three unread characters, then fixed-width fields.",
        "",
    ]

    lines.append("; ゆうパック zone per destination row (55 characters).")
    lines.append("[地帯区分]")
    prefectures = [r for r in range(SENDING_ROWS) if ROWS[r][1] is not None]
    key_width = max(len(ROWS[r][0].encode("cp932")) for r in prefectures)
    zones_used = set()
    for src in prefectures:
        row = zone_row(src)
        assert len(row) == len(ROWS)
        zones_used.update(row)
        lines.append(entry(ROWS[src][0], row, key_width))
    lines.append("")

    lines.append("[ゆうパック]")
    key_width = len("第1地帯".encode("cp932"))
    lines.append(ruler(["%dkg" % kg for kg in YOUPACK_WEIGHTS_KG], key_width))
    for zone in sorted(zones_used, key=int):
        fees = [youpack_fee(int(zone), kg) for kg in YOUPACK_WEIGHTS_KG]
        lines.append(entry("第%s地帯" % zone, LEAD + fields(fees), key_width))
    same_city = [youpack_fee(1, kg) - 100 for kg in YOUPACK_WEIGHTS_KG]
    lines.append(entry("市内", LEAD + fields(same_city), key_width))
    lines.append("")

    key_width = max(len(n.encode("cp932")) for n, _, _ in CAT_REGIONS + [("同一市内", 0, 0)])
    for src, (name, _, _) in enumerate(CAT_REGIONS):
        lines.append("[%s]" % name)
        lines.append(ruler(["60", "80", "100", "120", "140", "150"], key_width))
        for dst, (to, _, _) in enumerate(CAT_REGIONS):
            fees = [cat_fee(cat_zone(src, dst), c) for c in range(CAT_SIZE_CLASSES)]
            lines.append(entry(to, LEAD + fields(fees), key_width))
        fees = [cat_fee(0, c) - 100 for c in range(CAT_SIZE_CLASSES)]
        lines.append(entry("同一市内", LEAD + fields(fees), key_width))
        lines.append("")

    lines.append("; One field per postal weight row; heading rows hold 0.")
    lines.append("[普通郵便]")
    key_width = len("翌朝10時".encode("cp932"))
    lines.append(ruler(["-", "25g", "50g", "-", "50g", "75g", "100g", "150g", "200g",
                        "250g", "500g", "750g", "1kg", "1.5k", "2kg", "2.5k", "3kg", "4kg"],
                       key_width))
    lines.append(entry("料金", LEAD + fields(LETTER_FEES), key_width))
    lines.append(entry("翌朝10時", LEAD + fields(LETTER_FEES), key_width))
    lines.append(entry("代引料金", LETTER_COD_FEE, key_width))
    lines.append("")

    lines.append("; 料金: ten 3-character fields from the first character,")
    lines.append("; up to 150g, 200g, 250g, 500g, 750g, 1kg, 1.5kg, 2kg, 2.5kg, 3kg.")
    lines.append("[冊子小包]")
    lines.append(entry("料金", fields(BOOK_FEES, 3)))
    for key, fee in BOOK_OPTIONS:
        lines.append(entry(key, fee))
    lines.append("")

    for section, entries in OPTIONS:
        lines.append("[%s]" % section)
        lines.extend(entry(key, fee) for key, fee in entries)
        lines.append("")

    lines.append("; Remittance fees per amount class 0 to 7.")
    for section, fees in REMITTANCE.items():
        lines.append("[%s]" % section)
        lines.extend(entry("料金%d" % c, fee) for c, fee in enumerate(fees))
        lines.append("")

    return ("\r\n".join(lines)).encode("cp932")


def main(argv):
    default = Path(__file__).resolve().parent / "Charge.ini"
    data = build()
    if argv[1:] == ["--check"]:
        if default.read_bytes() != data:
            print("%s is out of date: run %s" % (default, argv[0]), file=sys.stderr)
            return 1
        return 0
    if len(argv) > 2 or (len(argv) == 2 and argv[1].startswith("-")):
        print(__doc__, file=sys.stderr)
        return 2
    out = Path(argv[1]) if len(argv) == 2 else default
    out.write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
