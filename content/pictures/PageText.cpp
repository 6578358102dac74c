// The biography pages and the info page. Written in the small HTML dialect
// the program's viewer reads: no style sheets, colours and faces via BODY and
// FONT, floats via IMG ALIGN.
#include "content/pictures/PageText.h"

#include "catalogue/Catalogue.h"
#include "content/pictures/Artists.h"

namespace content::pic {

namespace {

struct Colours {
  const char* bg;
  const char* text;
  const char* link;
  const char* vlink;
};

std::string Head(const std::string& title, const Colours& c) {
  return "<HTML>\n<HEAD>\n<TITLE>" + title +
         "</TITLE>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">\n</HEAD>\n"
         "<BODY BGCOLOR=\"" + c.bg + "\" TEXT=\"" + c.text +
         "\" LINK=\"" + c.link + "\" VLINK=\"" + c.vlink +
         "\">\n<A NAME=\"top\"></A>\n"
         "<CENTER><IMG SRC=\"hm_logo.gif\" WIDTH=300 HEIGHT=44 ALT=\"Hollowmere\"></CENTER>\n";
}

std::string Foot() {
  std::string s = "<P>\n<HR SIZE=1 NOSHADE COLOR=\"#5A2A1A\">\n<CENTER><FONT FACE=\"Verdana\" SIZE=1 COLOR=\"#8C8068\">\n";
  for (size_t i = 0; i < Artists().size(); ++i) {
    if (i) s += " &middot;\n";
    s += std::string("<A HREF=\"") + Artists()[i].stem + ".html\">" + Artists()[i].name + "</A>";
  }
  s += "<BR>\n<A HREF=\"_korvane_index.htm\">about Hollowmere</A> &middot; <A HREF=\"#top\">back to the top</A>\n"
       "</FONT></CENTER>\n</BODY>\n</HTML>\n";
  return s;
}

std::string Title(const char* name, const char* colour, const char* face) {
  return std::string("<H1><FONT FACE=\"") + face + "\" COLOR=\"" + colour + "\">" + name + "</FONT></H1>\n";
}

// Two songs per artist: the old one and the 2002 remake.
std::string Format(int i, int which) { return std::string(app::Song(i + 1, which).formatText); }

std::string SongBox(int i, const char* border) {
  const ArtistArt& a = Artists().at(static_cast<size_t>(i));
  const std::string oldFmt = Format(i, app::kOldSong), newFmt = Format(i, app::kRemake);
  return std::string("<A NAME=\"songs\"></A>\n<H3><FONT COLOR=\"#B8A888\">The songs</FONT></H3>\n") +
         "<TABLE BORDER=1 CELLPADDING=4 CELLSPACING=0 BORDERCOLOR=\"" + border + "\" WIDTH=\"90%\">\n" +
         "<TR BGCOLOR=\"#1C1812\"><TH>Song</TH><TH>Version</TH><TH>Format</TH></TR>\n" + "<TR><TD><I>" + a.song +
         "</I></TD><TD>original, " + a.oldDate + "</TD><TD ALIGN=center>" + oldFmt + "</TD></TR>\n" + "<TR><TD><I>" +
         a.song + "</I></TD><TD>remake, 2002</TD><TD ALIGN=center>" + newFmt + "</TD></TR>\n</TABLE>\n";
}

std::string Orvek() {
  return Head("Hollowmere - Orvek", {"#0C0E10", "#C4C8C8", "#E05A3C", "#A0705C"}) +
         Title("Orvek", "#9FC4E0", "Georgia") + R"(<IMG SRC="orvek_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=right HSPACE=8 ALT="Orvek">
<FONT FACE="Verdana" SIZE=2>
<P><B>Orvek</B> grew up in a harbour town where the ferry horn was the loudest
instrument for fifty kilometres. He heard his first module in the winter of 1991,
on a borrowed computer with a cracked case, and spent the rest of that winter
taking it apart row by row to see how four channels could sound like a room
full of glass.
<P>That curiosity never left him. His songs are built like clockwork: small
bright figures that turn against each other, a bass that hardly moves, and
long pauses where the echo is allowed to finish. <I>Glass Meridian</I> was
written in the spring of '92 on four channels and a floppy full of samples
taken from a radio that only received the shipping forecast.
<P>For the remake he kept every note of the original melody and rebuilt the
rest around it &ndash; &quot;like restoring a window and leaving the old
scratches in the glass&quot;.
</FONT>
<BR CLEAR=all>
<H3><FONT COLOR="#B8A888">A few facts</FONT></H3>
<UL>
<LI>First tracker: a copied disk with no manual and a broken <U>F</U> key.
<LI>Favourite effect: the slow vibrato, always.
<LI>Never owned a synthesizer. Samples everything, including the kettle.
<LI>Trades tapes with <A HREF="lundsarrow.html">Lund Sarrow</A> since 1992.
</UL>
)" + SongBox(0, "#34506A") +
         R"(<P><FONT SIZE=2>The pattern screen below is not from <I>Glass Meridian</I>;
Orvek lent it to <A HREF="zinderby.html#workshop">Zinderby&rsquo;s workshop</A> for a
tutorial and never got it back.</FONT>
<CENTER><IMG SRC="tracker.bmp" WIDTH=320 HEIGHT=200 ALT="pattern editor"></CENTER>
)" + Foot();
}

std::string LundSarrow() {
  return Head("Hollowmere - Lund Sarrow", {"#100B09", "#D0C0B0", "#E8643C", "#B06A48"}) +
         Title("Lund Sarrow", "#E07048", "Impact") + R"(<FONT FACE="Arial" SIZE=2>
<IMG SRC="lundsarrow_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=left HSPACE=10 VSPACE=4 ALT="Lund Sarrow">
<P>There is a slag heap outside the mining town where <B>Lund Sarrow</B> was
born, and he claims that every one of his songs was written while looking
at it. <I>Iron Vow</I> is the proof: a march for distorted guitar samples,
hammered drums and a choir made from a single vowel, pitched down until it
groans.
<P>In 1992 he played bass in three bands at once, none of which ever left the
rehearsal cellar. The tracker was his way to hear all the parts at the same
time without paying anybody in beer. The original of <I>Iron Vow</I> was
finished on 28 October 1992, at four in the morning, with the volume turned
down so far that he only noticed the clipping a week later.
<P>Ten years on, the remake is louder, slower and &ndash; in his words &ndash;
&quot;finally as heavy as the building it was written in&quot;.
</FONT>
<BR CLEAR=left>
<H3><FONT COLOR="#E07048">What goes into a Sarrow song</FONT></H3>
<TABLE BORDER=0 CELLPADDING=3 CELLSPACING=2>
<TR><TD BGCOLOR="#2A1810"><B>Guitars</B></TD><TD>two power chords, recorded in a stairwell</TD></TR>
<TR><TD BGCOLOR="#2A1810"><B>Drums</B></TD><TD>a kick drum and a steel door</TD></TR>
<TR><TD BGCOLOR="#2A1810"><B>Voice</B></TD><TD>one &quot;oh&quot;, in eleven pitches</TD></TR>
<TR><TD BGCOLOR="#2A1810"><B>Tempo</B></TD><TD>never above 100 beats per minute</TD></TR>
</TABLE>
)" + SongBox(1, "#6A3422") +
         R"(<P>He still trades tapes with <A HREF="orvek.html">Orvek</A>, and swears that
<A HREF="hask.html">Hask</A> stole his snare sound. Hask denies everything.
<CENTER><IMG SRC="hm_pulse.gif" WIDTH=96 HEIGHT=32 ALT="levels"></CENTER>
)" + Foot();
}

std::string Peltrin() {
  return Head("Hollowmere - Peltrin", {"#0B0E0B", "#C0CCB8", "#D86A48", "#8C7A58"}) +
         Title("Peltrin", "#A8C898", "Georgia") + R"(<CENTER><IMG SRC="hm_mere.gif" WIDTH=440 HEIGHT=110 ALT="the mere at night"></CENTER>
<FONT FACE="Georgia" SIZE=3>
<P><IMG SRC="peltrin_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=right HSPACE=8 ALT="Peltrin">
<B>Peltrin</B> walks. Most of <I>Slow Pursuit</I> was composed in her head on
the path around a lake that freezes every second winter, and only typed in
when she came home, cold, with the melody worn smooth from being hummed for
two hours.
<P>She is the quietest artist on this disk and the most patient. A Peltrin
song takes its time: a pad that breathes in for eight bars, a bell that
answers once, a bass line that arrives in the second minute as if it had
walked there too. The original was finished on 12 May 1996. The remake adds
field recordings from the same path: wind in reeds, ice, one very surprised
duck.
</FONT>
<H3><FONT COLOR="#A8C898">Five sounds she keeps coming back to</FONT></H3>
<OL>
<LI>Rain on a tin roof, slowed to half speed.
<LI>A struck wine glass with the attack cut off.
<LI>Her grandmother&rsquo;s harmonium, one note at a time.
<LI>Footsteps on gravel, used as a hi-hat.
<LI>Silence &ndash; &quot;the most expensive sample there is&quot;.
</OL>
<A NAME="gear"></A>
<H3><FONT COLOR="#A8C898">On the desk</FONT></H3>
<P><FONT FACE="Courier New" SIZE=2>one computer &middot; one pair of closed headphones &middot;
a hand-held recorder &middot; a thermos</FONT>
<P><IMG SRC="sampler.bmp" WIDTH=200 HEIGHT=80 ALIGN=left HSPACE=8 ALT="a sample">
The picture shows the wine glass from the list above, as her sample editor
drew it. She tunes every sample by ear against a tuning fork, and will tell
you that most of the songs on this disk are a little sharp. She is probably right.
<BR CLEAR=all>
)" + SongBox(2, "#3C5A34") +
         R"(<P>If you like Peltrin, listen to <A HREF="caulferro.html">Caul Ferro</A> next,
with the lights off.
)" + Foot();
}

std::string Hask() {
  return Head("Hollowmere - Hask", {"#080808", "#B8B8B0", "#D03028", "#903028"}) +
         Title("HASK", "#D03028", "Courier New") + R"(<FONT FACE="Courier New" SIZE=2>
<P><IMG SRC="hask_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=left HSPACE=10 ALT="Hask">
I don&rsquo;t do biographies.
<P>Fine. I started in 1994 because a friend had a tracker and I had nothing
better to do in a town where the last bus left at nine. I make music for
walking down stairs into places you shouldn&rsquo;t be. <I>Descent Below</I>
was done on 17 October 1997. It is in a minor key. All of them are.
<P>The remake is the same song, just further down.
</FONT>
<BR CLEAR=left>
<HR WIDTH="60%" SIZE=2 NOSHADE COLOR="#401010">
<CENTER><FONT SIZE=2 COLOR="#807870"><I>&quot;He sent me the remake with the note
'too bright?'. It was not too bright.&quot;</I> &ndash;
<A HREF="tamkessel.html">Tam Kessel</A></FONT></CENTER>
<HR WIDTH="60%" SIZE=2 NOSHADE COLOR="#401010">
<H3><FONT FACE="Courier New" COLOR="#D03028">rules</FONT></H3>
<UL>
<LI>no major chords
<LI>no reverb you can hear
<LI>every snare is a door slamming somewhere
<LI>if it sounds good, slow it down
</UL>
)" + SongBox(3, "#401010") +
         R"(<P><FONT SIZE=1 COLOR="#605850">He did not steal
<A HREF="lundsarrow.html">Lund Sarrow</A>&rsquo;s snare. He says.</FONT>
)" + Foot();
}

std::string Moorgol() {
  return Head("Hollowmere - Moorgol", {"#0F0C08", "#D4C8B0", "#E0903C", "#A07848"}) +
         Title("Moorgol", "#E0A050", "Times New Roman") + R"(<IMG SRC="moorgol_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=right HSPACE=10 ALT="Moorgol">
<FONT FACE="Times New Roman" SIZE=3>
<P><B>Moorgol</B> paints. The music came later, as a way to score the
pictures: every song of his starts life as a canvas, and <I>Ashfall</I> was a
grey one, nearly two metres wide, of a town under a sky the colour of a
cold stove.
<P>He studied composition for two years and left, he says, because nobody
there would let him use a timpani sample pitched down three octaves. His
modules are big &ndash; strings, low brass, choirs, a great many channels &ndash;
and they are arranged with a patience that the other artists on this disk
openly envy.
<P>The original <I>Ashfall</I> is from November 1997. For the remake he
re-recorded the choir parts himself, in a church that was about to be sold,
and the last chord is the last thing ever sung in it.
</FONT>
<BR CLEAR=right>
<H3><FONT COLOR="#E0A050">A short timeline</FONT></H3>
<TABLE BORDER=0 CELLPADDING=2 CELLSPACING=0 WIDTH="80%">
<TR><TD WIDTH=60 VALIGN=top><B>1993</B></TD><TD>First canvas sold. First module deleted by accident.</TD></TR>
<TR><TD VALIGN=top><B>1995</B></TD><TD>Joins the composition course. Leaves it.</TD></TR>
<TR><TD VALIGN=top><B>1997</B></TD><TD><I>Ashfall</I>, painted and tracked in the same month.</TD></TR>
<TR><TD VALIGN=top><B>2002</B></TD><TD>The remake, and an exhibition of the paintings behind this disk.</TD></TR>
</TABLE>
)" + SongBox(4, "#5A4020") +
         R"(<P><IMG SRC="hm_ember.gif" WIDTH=24 HEIGHT=40 ALIGN=left HSPACE=6 ALT="">
<FONT SIZE=2><I>&quot;Every song needs one thing that is burning and one thing
that has already burnt.&quot;</I><BR>&ndash; Moorgol, on the last page of his sketchbook</FONT>
<BR CLEAR=left>
)" + Foot();
}

std::string Zinderby() {
  return Head("Hollowmere - Zinderby", {"#0E0A06", "#D8C8A8", "#F07830", "#B07040"}) +
         Title("Zinderby", "#F07830", "Arial") + R"(<FONT FACE="Arial" SIZE=2>
<P><IMG SRC="zinderby_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=left HSPACE=10 ALT="Zinderby">
<B>Zinderby</B> solders. When he is not tracking he is inside a computer with
a magnifying glass, and his music sounds like it: fast, bright, slightly
dangerous, full of arpeggios that change every row and drums that were
clearly never meant to be played at that speed.
<P><I>Rust Engine</I> dates from around 1993 &ndash; he is not sure of the
month, because the disk label only says &quot;ENGINE FINAL FINAL 2&quot;. It
was a four-channel MOD, and it was famous in a very small way: it ran on the
loading screen of a game that was never finished.
<P>The 2002 version is an IT and uses forty-odd channels, which he considers
cheating, and enjoyed enormously.
</FONT>
<BR CLEAR=left>
<A NAME="workshop"></A>
<H3><FONT COLOR="#F07830">Zinderby&rsquo;s workshop</FONT></H3>
<P>Three tricks from his tutorial disk, for anyone still tracking by hand:
<OL>
<LI><B>Fake chords:</B> one sample, arpeggio effect, three notes &ndash; a whole chord on one channel.
<LI><B>Echo for free:</B> copy the lead to a spare channel, two rows later, at a quarter of the volume.
<LI><B>Fatter bass:</B> the same note on two channels, one detuned by a hair.
</OL>
<CENTER><IMG SRC="tracker.bmp" WIDTH=320 HEIGHT=200 BORDER=1 ALT="Rust Engine in the pattern editor"><BR>
<FONT SIZE=1 COLOR="#A08860"><I>Rust Engine, pattern 12. Row 20 is where the engine starts.</I></FONT></CENTER>
)" + SongBox(5, "#6A4020") +
         R"(<P>His soldering iron has its own credit on <A HREF="_korvane_index.htm#credits">the info page</A>.
)" + Foot();
}

std::string CaulFerro() {
  return Head("Hollowmere - Caul Ferro", {"#0A0B0E", "#BCC0CC", "#C86450", "#8C6C78"}) +
         Title("Caul Ferro", "#A0A8C8", "Georgia") + R"(<CENTER><I><FONT SIZE=2 COLOR="#8088A0">what was left, when the water went down</FONT></I></CENTER>
<P><IMG SRC="caulferro_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=right HSPACE=10 ALT="Caul Ferro">
<FONT FACE="Georgia" SIZE=3>
In the spring of 1998 the river came through <B>Caul Ferro</B>&rsquo;s street
and stayed for four days. When it left it took the piano, most of the
records and the cellar studio with it. What it left was a computer on the
top shelf, still working, and a box of sample disks that had been in a
plastic bag by pure luck.
<P><I>What Was Left</I> was made from those disks, that summer, in a rented
room. It is a slow piano piece with almost nothing else in it: a soft
string pad, some tape hiss left in on purpose, and a melody that keeps
trying to resolve and changing its mind.
<P>He did not want to remake it. He did anyway, in 2002, on a new piano,
and the remake is the only song on this disk that is shorter than its original.
</FONT>
<BR CLEAR=right>
<H3><FONT COLOR="#A0A8C8">From the notes that came with the song</FONT></H3>
<PRE>
   the water took the low notes first
   then the pedals, then the lid
   i kept the high ones
   they were drier
</PRE>
)" + SongBox(6, "#40486A") +
         R"(<P>He credits <A HREF="peltrin.html#gear">Peltrin&rsquo;s recorder</A> for the
rain at the end, which she lent him and which he &quot;will return one day&quot;.
)" + Foot();
}

std::string Vespera() {
  return Head("Hollowmere - vESPERa", {"#0E0A0E", "#D8C8D4", "#E8709C", "#A8708C"}) +
         Title("vESPERa", "#E888B0", "Verdana") + R"(<FONT FACE="Verdana" SIZE=2>
<P><IMG SRC="vespera_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=left HSPACE=10 ALT="vESPERa">
Nobody on this disk knows why <B>vESPERa</B> spells her name like that, and
she will not say. She works nights in a hospital and tracks in the hour
after her shift, when the city is blue and the first trams are running
empty. That hour is what <I>First Light Rising</I> is about.
<P>Her songs are the most hopeful thing here: long builds, bright
detuned leads, a kick drum that doesn&rsquo;t stop once it has started. The
original was saved on 10 April 1998 at 06:12 &ndash; the time is in the file
name &ndash; as an S3M with more channels than her computer could quite play
without stuttering.
<P>The remake keeps the stutter. &quot;It was part of the song by then.&quot;
</FONT>
<BR CLEAR=left>
<CENTER><TABLE BORDER=1 CELLPADDING=6 CELLSPACING=0 BORDERCOLOR="#6A3452" BGCOLOR="#1A1018">
<CAPTION><FONT SIZE=2 COLOR="#E888B0"><B>the hour after the shift</B></FONT></CAPTION>
<TR><TD ALIGN=right>05:40</TD><TD>last round on the ward</TD></TR>
<TR><TD ALIGN=right>06:00</TD><TD>tram, headphones, the old song on tape</TD></TR>
<TR><TD ALIGN=right>06:12</TD><TD>save, always with the time in the name</TD></TR>
<TR><TD ALIGN=right>07:00</TD><TD>sleep &hellip;</TD></TR>
</TABLE></CENTER>
)" + SongBox(7, "#6A3452") +
         R"(<P>Her favourite song on the disk that isn&rsquo;t hers:
<A HREF="ubrin.html">Ubrin&rsquo;s <I>Copper Lantern</I></A>.
)" + Foot();
}

std::string Ubrin() {
  return Head("Hollowmere - Ubrin", {"#0D0B07", "#D0C4A8", "#D88A3C", "#A07A48"}) +
         Title("Ubrin", "#D8A858", "Georgia") + R"(<IMG SRC="ubrin_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=right HSPACE=10 ALT="Ubrin">
<FONT FACE="Georgia" SIZE=3>
<P><B>Ubrin</B> lives on a narrow boat and has, at the time of writing, moored
it in nine different towns in five years. The computer runs off a car
battery, and the songs are written in the evenings under a copper lamp that
gives one of them its name.
<P>Where the others on this disk use synthesizers, Ubrin uses what fits in
a boat: a tin whistle, a cheap guitar, a bodhr&aacute;n with a split skin,
and the boat itself &ndash; the hull makes a fine bass drum if you hit it
from the inside. <I>Copper Lantern</I> (around 1997) is a reel that slowly
turns into something darker; the remake goes the other way round.
</FONT>
<H3><FONT COLOR="#D8A858">Moorings</FONT></H3>
<UL>
<LI><IMG SRC="hm_note.gif" WIDTH=12 HEIGHT=12 ALT="*"> 1997 &ndash; a canal basin behind a brewery, where <I>Copper Lantern</I> began.
<LI><IMG SRC="hm_note.gif" WIDTH=12 HEIGHT=12 ALT="*"> 1999 &ndash; a lock-keeper&rsquo;s garden, three weeks, very wet.
<LI><IMG SRC="hm_note.gif" WIDTH=12 HEIGHT=12 ALT="*"> 2002 &ndash; within walking distance of a copy shop, to print this disk&rsquo;s covers.
</UL>
)" + SongBox(8, "#5A4422") +
         R"(<P>He would like it known that <A HREF="vespera.html">vESPERa</A> is far too kind about his song.
)" + Foot();
}

std::string TamKessel() {
  return Head("Hollowmere - Tam Kessel", {"#0B0A0A", "#CCC4BC", "#D85040", "#9C6050"}) +
         Title("Tam Kessel", "#D86050", "Times New Roman") + R"(<FONT FACE="Times New Roman" SIZE=3>
<P><IMG SRC="tamkessel_portrait.jpg" WIDTH=150 HEIGHT=190 ALIGN=left HSPACE=10 ALT="Tam Kessel">
<B>Tam Kessel</B> is the reason this disk exists. Sometime in 2001 he
found a box of old floppies, played the songs on them to anyone who would
listen, and then wrote to nine people he had not spoken to in years with
one question: <I>would you make it again?</I>
<P>His own contribution, <I>Hollow Within</I>, was first finished on 15
February 1996 as an S3M. It is a song about an empty house, with a music
box melody over a bass that sounds like somebody walking in the rooms
below. The disk takes its name from it &ndash; &quot;hollow&quot; from the song, and
&quot;mere&quot; from the lake that <A HREF="peltrin.html">Peltrin</A> walks around.
<P>The remake is the last thing on <U>Hollowmere</U> to be finished. He says
that is a coincidence.
</FONT>
<BR CLEAR=left>
<CENTER><IMG SRC="hm_disk.gif" WIDTH=48 HEIGHT=48 ALT="record"></CENTER>
<H3><FONT COLOR="#D86050">The nine he wrote to</FONT></H3>
<TABLE BORDER=0 CELLPADDING=3 CELLSPACING=0 WIDTH="90%">
<TR><TD><A HREF="orvek.html">Orvek</A></TD><TD><A HREF="lundsarrow.html">Lund Sarrow</A></TD><TD><A HREF="peltrin.html">Peltrin</A></TD></TR>
<TR><TD><A HREF="hask.html">Hask</A></TD><TD><A HREF="moorgol.html">Moorgol</A></TD><TD><A HREF="zinderby.html">Zinderby</A></TD></TR>
<TR><TD><A HREF="caulferro.html">Caul Ferro</A></TD><TD><A HREF="vespera.html">vESPERa</A></TD><TD><A HREF="ubrin.html">Ubrin</A></TD></TR>
</TABLE>
<P>Every one of them said yes. <A HREF="hask.html">One</A> said it in a single word.
)" + SongBox(9, "#5A2A22") + Foot();
}

std::string InfoPage() {
  std::string s = Head("Hollowmere - Korvane Info", {"#0A0A0C", "#C8C4BC", "#D85A40", "#A06A58"});
  s += R"(<CENTER><FONT FACE="Georgia" SIZE=4 COLOR="#B8A888"><I>a korvane music disk</I></FONT></CENTER>
<CENTER><IMG SRC="hm_mere.gif" WIDTH=440 HEIGHT=110 ALT="Hollowmere"></CENTER>
<FONT FACE="Verdana" SIZE=2>
<P><IMG SRC="hm_pulse.gif" WIDTH=96 HEIGHT=32 ALIGN=right HSPACE=8 ALT="levels">
<B>Hollowmere</B> brings together ten artists and twenty songs. Each artist
chose one song written between 1992 and 1998 and made it again in 2002: the
original is here as it was, with every crackle, and next to it the remake.
Choose a name in the menu to read about the artist; click the date or
&quot;2002&quot; in the Bio window to hear the two versions. <B>ModInfo</B>
shows what is inside a song.
</FONT>
<A NAME="artists"></A>
<H2><FONT COLOR="#D86050">The artists</FONT></H2>
<CENTER><TABLE BORDER=1 CELLPADDING=4 CELLSPACING=0 WIDTH="94%" BORDERCOLOR="#4A2A20">
<TR BGCOLOR="#1E1612"><TH>&nbsp;</TH><TH>Artist</TH><TH>Song</TH><TH>Original</TH><TH>Remake</TH></TR>
)";
  for (size_t i = 0; i < Artists().size(); ++i) {
    const ArtistArt& a = Artists()[i];
    s += "<TR><TD ALIGN=right>" + std::to_string(i + 1) + "</TD><TD><A HREF=\"" + a.stem + ".html\">" + a.name +
         "</A></TD><TD><I>" + a.song + "</I></TD><TD>" + a.oldDate + " (" + Format(static_cast<int>(i), app::kOldSong) +
         ")</TD><TD>2002 (" + Format(static_cast<int>(i), app::kRemake) + ")</TD></TR>\n";
  }
  s += R"(</TABLE></CENTER>
<A NAME="credits"></A>
<H2><FONT COLOR="#D86050">Credits</FONT></H2>
<TABLE BORDER=0 CELLPADDING=3 CELLSPACING=0>
<TR><TD VALIGN=top><B>Music</B></TD><TD>the ten artists above, old and new</TD></TR>
<TR><TD VALIGN=top><B>Idea &amp; compilation</B></TD><TD><A HREF="tamkessel.html">Tam Kessel</A></TD></TR>
<TR><TD VALIGN=top><B>Program</B></TD><TD>korvane</TD></TR>
<TR><TD VALIGN=top><B>Graphics &amp; pages</B></TD><TD>korvane, after paintings by <A HREF="moorgol.html">Moorgol</A></TD></TR>
<TR><TD VALIGN=top><B>Soldering iron</B></TD><TD>property of <A HREF="zinderby.html#workshop">Zinderby</A></TD></TR>
<TR><TD VALIGN=top><B>Tea</B></TD><TD>far too much</TD></TR>
</TABLE>
<H3><FONT COLOR="#B8A888">Using the disk</FONT></H3>
<OL>
<LI>Drag the menu by its picture to move it; <B>Min</B> puts it away, <B>Exit</B> ends the program.
<LI><B>Covers</B> shows the front and back cover of the release.
<LI>In the Bio window, the slider under the song captions jumps through the song.
</OL>
<P><CENTER><FONT FACE="Verdana" SIZE=1 COLOR="#8C8068">
Hollowmere &copy; 2002 korvane &middot; every song &copy; its author<BR>
Greetings to everyone who still has a box of floppies in the attic &hellip; play them.
</FONT></CENTER>
)";
  s += Foot();
  return s;
}

}  // namespace

std::vector<PageFile> Pages() {
  std::vector<PageFile> out;
  out.push_back({"orvek.html", Orvek()});
  out.push_back({"lundsarrow.html", LundSarrow()});
  out.push_back({"peltrin.html", Peltrin()});
  out.push_back({"hask.html", Hask()});
  out.push_back({"moorgol.html", Moorgol()});
  out.push_back({"zinderby.html", Zinderby()});
  out.push_back({"caulferro.html", CaulFerro()});
  out.push_back({"vespera.html", Vespera()});
  out.push_back({"ubrin.html", Ubrin()});
  out.push_back({"tamkessel.html", TamKessel()});
  out.push_back({"_korvane_index.htm", InfoPage()});
  return out;
}

}  // namespace content::pic
