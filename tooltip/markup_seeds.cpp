#include "tooltip/markup_seeds.h"

namespace tooltip {

const std::vector<ViewerTip>& ViewerTooltipTexts() {
    static const std::vector<ViewerTip> texts = {
        {155,
         "\xD1\xA1\xD4\xF1\xCB\xD1\xCB\xF7 Flash \xB5\xC4\xC0\xB4\xD4\xB4\xCE\xC4\xBC\xFE"
         "\xBC\xD0\xA1\xA3"},
        {156,
         "\xB8\xC3\xCE\xC4\xBC\xFE\xBC\xD0\xD6\xD0\xB5\xC4 Flash \xD3\xB0\xC6\xAC\xD2\xD1"
         "\xCF\xD4\xCA\xBE\xD4\xDA\xC1\xD0\xB1\xED\xD6\xD0<BR>(\xC8\xE7\xB9\xFB<B>\xD7\xD4"
         "\xB6\xA8\xD2\xE5\xCE\xC4\xBC\xFE\xBC\xD0</B>\xB1\xBB\xD1\xA1\xB6\xA8\xCE\xAA\xC0"
         "\xB4\xD4\xB4)\xA1\xA3"},
        {157,
         "\xD1\xA1\xD4\xF1\xD2\xAA\xCB\xD1\xCB\xF7 Flash \xD3\xB0\xC6\xAC\xB5\xC4\xC7\xFD"
         "\xB6\xAF\xC6\xF7/\xCE\xC4\xBC\xFE\xBC\xD0\xA1\xA3"},
        {158,
         "\xB0\xB4\xD4\xAD\xCA\xBC\xCD\xF8\xD5\xBE\xB9\xFD\xC2\xCB\xD3\xB0\xC6\xAC\xA1\xA3"
         "<BR>\xC3\xBB\xD3\xD0\xD4\xAD\xCA\xBC\xCD\xF8\xD5\xBE\xB5\xC4\xD3\xB0\xC6\xAC\xD2"
         "\xD1\xCC\xED\xBC\xD3\xB5\xBD<B>\xB6\xC0\xC1\xA2\xB5\xC4 SWF \xCE\xC4\xBC\xFE</B>"
         "\xB7\xD6\xC0\xE0\xA1\xA3<BR>\xB4\xCB\xB9\xFD\xC2\xCB\xBD\xF6\xB6\xD4\xD3\xDA "
         "Internet Explorer \xBB\xBA\xB4\xE6\xBF\xC9\xD3\xC3\xA1\xA3"},
        {159,
         "\xB0\xB4\xC8\xD5\xC6\xDA\xB9\xFD\xC2\xCB\xB5\xC4\xD3\xB0\xC6\xAC\xD2\xD1\xCF\xC2"
         "\xD4\xD8\xB5\xBD\xBC\xC6\xCB\xE3\xBB\xFA\xA1\xA3"},
        {160, "\xD1\xA1\xD4\xF1\xC8\xD5\xC6\xDA\xBB\xF2\xCA\xB1\xBC\xE4\xB7\xB6\xCE\xA7\xA1\xA3"},
        {161, "\xCB\xA2\xD0\xC2\xD3\xB0\xC6\xAC\xC1\xD0\xB1\xED\xA1\xA3"},
        {162,
         "\xC9\xBE\xB3\xFD\xD3\xB0\xC6\xAC (\xCE\xC4\xBC\xFE\xBA\xCD IE \xBB\xBA\xB4\xE6)"
         "\xA1\xA3"},
        {163,
         "\xCA\xB9\xD3\xC3\xD2\xBB\xB8\xF6\xCD\xE2\xB2\xBF\xB2\xE9\xBF\xB4\xC6\xF7\xCF\xD4"
         "\xCA\xBE\xD3\xB0\xC6\xAC\xA1\xA3"},
        {164,
         "\xB1\xA3\xB4\xE6\xD3\xB0\xC6\xAC\xB5\xBD\xB5\xB1\xC7\xB0\xC4\xBF\xB1\xEA\xCE\xC4"
         "\xBC\xFE\xBC\xD0\xA1\xA3"},
        {165,
         "\xB1\xA3\xB4\xE6\xD3\xB0\xC6\xAC\xB5\xBD\xB5\xB1\xC7\xB0\xC4\xBF\xB1\xEA\xCE\xC4"
         "\xBC\xFE\xBC\xD0<BR>\xB2\xA2\xD4\xCA\xD0\xED\xC4\xFA\xCA\xE4\xC8\xEB\xD2\xBB\xB8"
         "\xF6\xCE\xC4\xBC\xFE\xC3\xFB\xB3\xC6\xA1\xA3"},
        {166,
         "\xB1\xA3\xB4\xE6\xCB\xF9\xD3\xD0\xCF\xD4\xCA\xBE\xB5\xC4\xD3\xB0\xC6\xAC\xB5\xBD"
         "\xB5\xB1\xC7\xB0\xC4\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0\xA1\xA3"},
        {167,
         "\xD1\xA1\xD4\xF1\xC4\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0 - \xB1\xA3\xB4\xE6\xD3"
         "\xB0\xC6\xAC\xB5\xC4\xC4\xAC\xC8\xCF\xCE\xC4\xBC\xFE\xBC\xD0\xA1\xA3"},
        {168, "\xB4\xF2\xBF\xAA\xC4\xBF\xB1\xEA\xCE\xC4\xBC\xFE\xBC\xD0\xA1\xA3"},
    };
    return texts;
}

std::vector<std::string> MarkupSeeds() {
    // Settings byte: bit 0 new-line mode, bit 1 enabled, bits 2-7 the maximum width / 8.
    const char on = 0x03, narrow = 0x03 | (10 << 2), disabled = 0x01 | (20 << 2);
    std::vector<std::string> seeds;
    for (const ViewerTip& tip : ViewerTooltipTexts()) {
        if (tip.stringId == 156 || tip.stringId == 158) {
            seeds.push_back(std::string(1, on) + tip.text);
            seeds.push_back(std::string(1, narrow) + tip.text);
        }
    }
    const char* texts[] = {
        "A &lt; B &amp;lt; C &copy;&nbsp;&trade;&unknown; <<x>\r\nline\ttab<t 2>end",
        "<h1>Head</h1><h2 x=1>two</h2><h6>small</h6><sub>s</sub><sup>p</sup><big>B</big>"
        "<code>c</code><pre>p</pre><span class=cpp-comment>cm</span>",
        "<b><b>x</b></b><i><i>y</i></i><u>u</u><s>s</s><strike>k</strike><em>e</i>",
        "<font face=\"Arial\" size=+2 color=#FF9900 style=\"b-iuso\" weight=bolder "
        "bkgnd=yellow>f</font><font size=3pt color=0x0000ff bkgnd=transparent>g</font>",
        "<center>c<br 2>d</center><right>r</right><justify>Justified text that wraps over "
        "several lines, again and again.</justify><top>t</top><middle>m</middle><bottom>b",
        "<a href=\"http://example.com/\">link</a> <a msg='hello'>msg</a> <a>none</a> "
        "<a href=x><bmp idres=1 style=gs hotstyle=d></a>",
        "<bmp idres=2 cx=8 speed=3 width=50% height=20 mask><icon file=\"a.ico\">"
        "<ilst index=2><bmp iddll=3 srcdll=x.dll style=l mask=#00ff00><bmp handle=0x40>",
        "<hr><hr width=50% size=3 color=red><hr width=40px><string idres=7><string iddll=2 "
        "srcdll=m.dll>",
        "<table border=2 cellpadding=3 cellspacing=1 bgcolor=#ffeecc bgeffect=hgradient "
        "bgendcolor=white><tr><td colspan=2>wide</td></tr><tr><td rowspan=2 width=40>a</td>"
        "<td valign=middle>b</td></tr><tr><td align=right>c<table><tr><td>in</td></tr>"
        "</table></td></tr></table>after",
        "<table borderstyle=double bordercolorlight=red bordercolordark=blue "
        "background=idres:5 width=90%><tr><td bgeffect=metal>x</td><td bgeffect=softbump "
        "bgmidcolor=gray height=30>y</td></tr></table>",
        "p {color:red}\x01<span class=p>sheet</span><hr> body {font-size:2em}",
        "\xD5\x5D\xD5\x5D \xD5\x7D\xB0\x5B<b\xD5>x</b>\x81<b>y",
    };
    const char settings[] = {on, narrow, on, on, narrow, on, on, narrow, narrow, on, on, narrow};
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        seeds.push_back(std::string(1, settings[i]) + texts[i]);
    }
    seeds.push_back(std::string(1, disabled) + "<font color=red>grey</font><bmp idres=1>");
    return seeds;
}

}  // namespace tooltip
