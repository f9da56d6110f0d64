<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>Maker</name>
    <message>
        <location filename="../CardPictures.cpp" line="167"/>
        <source>%1 was not found.</source>
        <translation>%1 が見つかりません。</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="140"/>
        <source>%1 is not a picture that can be read.</source>
        <translation>%1 は読める画像ではありません。</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="127"/>
        <source>%1 is a drawing (SVG), which the game cannot show. Convert it to PNG first, for example with rsvg-convert (package librsvg2-bin): %2</source>
        <translation>%1 は図形 (SVG) で、ゲームでは見せられません。先に PNG に変換してください。たとえば rsvg-convert (パッケージ librsvg2-bin) で: %2</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="137"/>
        <source>%1 is a %2 picture, which needs Qt&apos;s extra picture readers. Install them with: sudo apt install qt6-image-formats-plugins</source>
        <translation>%1 は %2 の絵で、読むには Qt の追加の画像読み込み部品が要ります。次のコマンドで入れてください: sudo apt install qt6-image-formats-plugins</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="132"/>
        <source>%1 is an AVIF picture, which the game cannot show. Convert it to %3 first, for example with avifdec (package libavif-bin): %2</source>
        <translation>%1 は AVIF の絵で、ゲームでは見せられません。先に %3 に変換してください。たとえば avifdec (パッケージ libavif-bin) で: %2</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="141"/>
        <source>%1 is a phone&apos;s HEIC photo, which the game cannot show. Convert it to %3 first, for example with heif-convert (package libheif-examples): %2</source>
        <translation>%1 はスマートフォンの HEIC 写真で、ゲームでは見せられません。先に %3 に変換してください。たとえば heif-convert (パッケージ libheif-examples) で: %2</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="155"/>
        <source>%1 cannot be read: you have no permission to read it (files unpacked with sudo belong to root). Make it readable, for example with: sudo chmod a+r &quot;%1&quot;</source>
        <translation>%1 は読めません: 読む権限がありません（sudo で展開したファイルは root のものになります）。たとえば次のコマンドで読めるようにしてください: sudo chmod a+r &quot;%1&quot;</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="164"/>
        <source>%1 cannot be read: a backslash (\) in a name separates folders for kavimo-set, as it does in the game&apos;s sets. Rename it without one.</source>
        <translation>%1 は読めません: kavimo-set では、ゲームのセットと同じく、名前の中のバックスラッシュ (\) がフォルダーの区切りになります。バックスラッシュのない名前に変えてください。</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="181"/>
        <source>%1 is too big to load (%2 x %3 pixels). Make it smaller first.</source>
        <translation>%1 は大きすぎて読み込めません（%2 x %3 ピクセル）。先に小さくしてください。</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="188"/>
        <source>%1 is cut short, as a download or a copy that did not finish: the game would show it grey from where it ends, or not at all. Copy it again.</source>
        <translation>%1 は途中で切れています（ダウンロードかコピーが終わっていません）。ゲームでは切れた所から下が灰色になるか、まったく表示されません。もう一度コピーしてください。</translation>
    </message>
    <message>
        <location filename="../CardPictures.cpp" line="213"/>
        <source>%1 does not decode: %2</source>
        <translation>%1 を画像として読めません: %2</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="126"/>
        <source>%1 The game cannot show this set.</source>
        <translation>%1 ゲームはこのセットを表示できません。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="127"/>
        <source>the set file cannot be read: the game cannot show this set.</source>
        <translation>セットファイルを読めません。ゲームはこのセットを表示できません。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="131"/>
        <source>the set file is %1 MB, too big to check (a set file is a few hundred bytes).</source>
        <translation>セットファイルが %1 MB あり、大きすぎて確かめられません（セットファイルはふつう数百バイトです）。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="174"/>
        <source>&quot;%1&quot; is not a header; write &quot;%2&quot;. The game shows &quot;ﾌｧｲﾙ読み込みエラー&quot;.</source>
        <translation>「%1」は見出しになりません。「%2」と書いてください。ゲームは「ﾌｧｲﾙ読み込みエラー」を表示します。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="178"/>
        <source>there is no &quot;%1&quot; section; the game shows &quot;ﾌｧｲﾙ読み込みエラー&quot;.</source>
        <translation>「%1」の部分がありません。ゲームは「ﾌｧｲﾙ読み込みエラー」を表示します。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="185"/>
        <source>the file is written in UTF-16 (Notepad&apos;s &quot;Unicode&quot;), which the game cannot read: it shows &quot;ﾌｧｲﾙ読み込みエラー&quot;. Save it as ANSI (Shift_JIS) or UTF-8.</source>
        <translation>ファイルが UTF-16（メモ帳の「Unicode」）で書かれていて、ゲームは読めず、「ﾌｧｲﾙ読み込みエラー」と出ます。ANSI（Shift_JIS）か UTF-8 で保存してください。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="188"/>
        <source>lines end with a line feed alone: Windows reads the whole file as one line and finds no section. Save it with CR LF line ends.</source>
        <translation>行末が LF だけです。Windows ではファイル全体が 1 行として読まれ、どの部分も見つかりません。改行を CR LF にして保存してください。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="191"/>
        <source>the file is written in UTF-8: Windows reads it in the Japanese code page (Shift_JIS) and finds no file with a Japanese name.</source>
        <translation>ファイルが UTF-8 で書かれています。Windows では Shift_JIS として読まれ、日本語の名前のファイルが見つかりません。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="203"/>
        <source>the number of pairs &quot;%1&quot; is not a whole number from 0 to %2: the game shows an error and deals no cards.</source>
        <translation>ペアの数「%1」が 0 から %2 までの整数ではありません。ゲームはエラーを表示し、カードを配りません。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="202"/>
        <source> Write it in half-width digits (1, not １).</source>
        <translation> 半角数字で書いてください（１ ではなく 1）。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="182"/>
        <source>the file is a web page (HTML), not a set: the download went wrong. Download the set again.</source>
        <translation>このファイルはセットではなくウェブページ (HTML) です。ダウンロードがうまくいきませんでした。セットをダウンロードし直してください。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="211"/>
        <source>the set has no pairs: the board stays empty.</source>
        <translation>ペアが 1 つもありません。盤は空のままです。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="213"/>
        <location filename="../SetWriter.cpp" line="559"/>
        <source>%1 pairs: on Windows the game lays out small cards only for 21 pairs, so the cards overlap there.</source>
        <translation>%1 ペア: Windows のゲームは 21 ペアのときだけ小さいカードを並べるので、カードが重なります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="235"/>
        <source>The game shows the set without a preview and stops at the start with a message.</source>
        <translation>ゲームはこのセットを見本の絵なしで見せ、スタートでメッセージが出て止まります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="237"/>
        <source>The game stops at the start with a message.</source>
        <translation>スタートでメッセージが出て止まります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="239"/>
        <source>the &quot;[Picture]&quot; section ends before pair %1. %2</source>
        <translation>「[Picture]」の部分がペア %1 の前で終わっています。%2</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="243"/>
        <source>the picture of pair %1 reaches past its section into the &quot;%2&quot; section (there are fewer pictures than pairs). %3</source>
        <translation>ペア %1 の絵が自分の部分を越えて「%2」の部分に入っています（絵がペアの数より少ない）。%3</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="251"/>
        <source>a blank line inside the &quot;[Picture]&quot; section: pair %1 has no picture. %2</source>
        <translation>「[Picture]」の部分に空の行があります。ペア %1 に絵がありません。%2</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="260"/>
        <source> The line holds a tab, which is part of the name for the game: remove it.</source>
        <translation> この行にはタブがあり、ゲームにとっては名前の一部です。タブを消してください。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="261"/>
        <source>the picture %1 is missing. %2</source>
        <translation>絵 %1 がありません。%2</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="268"/>
        <location filename="../SetCheck.cpp" line="287"/>
        <source>the picture %1: %2 %3</source>
        <translation>絵 %1: %2 %3</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="277"/>
        <source>the picture %1 (%2 x %3) is too big to load. %4</source>
        <translation>絵 %1（%2 x %3）は大きすぎて読み込めません。%4</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="283"/>
        <source> kavimo-set make makes a card of it.</source>
        <translation> kavimo-set make ならこの写真からカードを作れます。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="289"/>
        <source>the picture %1 does not decode. %2</source>
        <translation>絵 %1 を画像として読めません。%2</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="299"/>
        <source>a card shows only its top-left %1 x %1 pixels of this %2 x %3 picture (%4); make the set with kavimo-set make to fit it.</source>
        <translation>この %2 x %3 の絵（%4）は、カードには左上の %1 x %1 ピクセルしか映りません。kavimo-set make でセットを作るとカードに合わせます。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="309"/>
        <source>the picture of pair %1 is neither JPEG nor BMP nor GIF, all that the game on Windows shows: kavimo-set make --windows makes JPEG cards.</source>
        <translation>ペア %1 の絵は JPEG でも BMP でも GIF でもないので、Windows のゲームでは表示できません。kavimo-set make --windows なら JPEG のカードを作ります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="311"/>
        <source>the pictures of pairs %1 are neither JPEG nor BMP nor GIF, all that the game on Windows shows: kavimo-set make --windows makes JPEG cards.</source>
        <translation>ペア %1 の絵は JPEG でも BMP でも GIF でもないので、Windows のゲームでは表示できません。kavimo-set make --windows なら JPEG のカードを作ります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="319"/>
        <source>The set was written on Windows. If it came in a zip, unpack the zip again with unar -e cp932 (package unar): other tools give its Japanese file names other letters.</source>
        <translation>このセットは Windows で書かれています。zip で届いたのなら、unar -e cp932（パッケージ unar）で zip を展開し直してください。ほかのツールでは日本語のファイル名が別の文字になります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="330"/>
        <source>the preview picture &quot;%1&quot; is missing: the game shows the set without it and stops at the start with a message.</source>
        <translation>見本の絵「%1」がありません。ゲームはこのセットを見本の絵なしで見せ、スタートでメッセージが出て止まります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="340"/>
        <source>the fallback sound plays instead.</source>
        <translation>代わりの音が鳴ります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="346"/>
        <source>the sound of pair %1 reaches past its section into the &quot;%2&quot; section (there are fewer sounds than pairs): %3</source>
        <translation>ペア %1 の音が自分の部分を越えて「%2」の部分に入っています（音がペアの数より少ない）: %3</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="356"/>
        <source>a blank line inside the &quot;[Sound]&quot; section: pair %1 has no sound, and the sounds below it belong to the next pairs; %2</source>
        <translation>「[Sound]」の部分に空の行があります。ペア %1 に音がなく、その下の音は次のペアのものになります。%2</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="366"/>
        <source>the sound %1 is missing: %2</source>
        <translation>音 %1 がありません: %2</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="378"/>
        <source>the sound %1 cannot be played (%2): %3</source>
        <translation>音 %1 は鳴らせません（%2）: %3</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="379"/>
        <source> Then write %1 in its place in the set.</source>
        <translation>そのあと、セットのその行を %1 に書き換えてください。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="390"/>
        <source>the sound %1 is no WAV file, which is all the game on Windows plays: there %2 kavimo-set make --windows converts it.</source>
        <translation>音 %1 は WAV ファイルではありません。Windows のゲームは WAV しか鳴らせないので、そこでは%2 kavimo-set make --windows なら WAV に変換します。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="400"/>
        <source>no sound of its own for pair %1: the fallback sound plays instead.</source>
        <translation>ペア %1 には自分の音がありません。代わりの音が鳴ります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="402"/>
        <source>no sound of their own for pairs %1: the fallback sound plays instead.</source>
        <translation>ペア %1 には自分の音がありません。代わりの音が鳴ります。</translation>
    </message>
    <message>
        <location filename="../SetCheck.cpp" line="427"/>
        <source>%1 names the files %2 alike, letter case ignored: the game takes %3. Write the name as the file meant is named.</source>
        <translation>%1 は、大文字と小文字を区別しないと %2 のどれにも当たります。ゲームは %3 を使います。使いたいファイルの名前のとおりに書いてください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="494"/>
        <source>There are no pictures to make a set of.</source>
        <translation>セットにする絵がありません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="496"/>
        <source>There are no pictures to make a set of: the pictures in folders inside a folder given are not taken. Give such a folder instead, for example %1.</source>
        <translation>セットにする絵がありません: 指定したフォルダーの中のフォルダーにある絵は使われません。代わりにそのフォルダーを指定してください。たとえば %1</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="500"/>
        <source>%1 pictures: a set holds at most %2 pairs. Choose %2 or fewer (11 to %2 pairs give small cards).</source>
        <translation>絵が %1 枚あります。セットは %2 ペアまでです。%2 枚以下にしてください（11 から %2 ペアは小さいカードになります）。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="507"/>
        <source>&quot;%1&quot; cannot be a title: it needs more than dots and spaces.</source>
        <translation>「%1」はタイトルにできません。点と空白のほかの文字が必要です。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="506"/>
        <source>The set has no title.</source>
        <translation>セットの名前がありません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="511"/>
        <source>The game shows this set as &quot;%1&quot;: that is as much of the title as a file&apos;s name can hold.</source>
        <translation>ゲームではこのセットは「%1」と表示されます。ファイル名に使えない文字が変わります。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="515"/>
        <source>The title is too long: at most %1 characters.</source>
        <translation>セットの名前が長すぎます。%1 文字までにしてください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="522"/>
        <source>&quot;%1&quot; in %2 is a link to somewhere else, which kavimo-set does not replace. Choose another title.</source>
        <translation>%2 の「%1」は別の場所へのリンクなので、kavimo-set は置き換えません。別の名前にしてください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="526"/>
        <source>Something that is not a set is called &quot;%1&quot; in %2. Choose another title.</source>
        <translation>%2 には「%1」という名前の、セットではないものがあります。別の名前にしてください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="529"/>
        <source>A set called &quot;%1&quot; already exists in %2. Choose another title, or replace it.</source>
        <translation>「%1」というセットはもう %2 にあります。別の名前にするか、置き換えてください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="533"/>
        <source>A folder called &quot;%1&quot; is already in %2. Choose another title, or put the set&apos;s files beside what it holds, which stays.</source>
        <translation>「%1」というフォルダはもう %2 にあります。別の名前にするか、中にあるものを残したまま、その横にセットのファイルを置いてください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="540"/>
        <source>The game also lists a set called &quot;%1&quot;, from %2: the child would see two sets of that title.</source>
        <translation>ゲームには %2 の「%1」というセットもあります。子どもには同じ名前のセットが 2 つ見えます。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="545"/>
        <source>A run of kavimo-set that was stopped while replacing a set left that set&apos;s files in %1. Move them back into %2.</source>
        <translation>セットを置き換えている途中で止められた kavimo-set が、そのセットのファイルを %1 に残しています。%2 に戻してください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="549"/>
        <source>%1 is not a folder.</source>
        <translation>%1 はフォルダではありません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="552"/>
        <source>Nothing can be written in %1. Choose a folder of your own.</source>
        <translation>%1 には書き込めません。自分のフォルダーを選んでください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="556"/>
        <source>The game finds sets only in a folder called Data; %1 is not one.</source>
        <translation>ゲームは Data という名前のフォルダにあるセットしか見つけません。%1 は違います。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="581"/>
        <source>The card for %1 is cut from %2 x %2 pixels and enlarged to %3 x %3, so it looks blurred. Add the photo it came from, or a larger one.</source>
        <translation>%1 のカードは %2 x %2 ピクセルから切り取られ、%3 x %3 に拡大されるので、ぼやけて見えます。もとの写真か、もっと大きな写真を追加してください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="594"/>
        <source>The spoken name for %1 is empty.</source>
        <translation>%1 の読み上げる名前が空です。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="596"/>
        <source>The spoken name &quot;%1&quot; has kanji, which espeak-ng cannot read (it would say &quot;Chinese letter&quot;). Write it in kana, for example いぬ.</source>
        <translation>読み上げる名前「%1」に漢字があります。espeak-ng は漢字を読めません（「Chinese letter」と言ってしまいます）。いぬ のように、かなで書いてください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="601"/>
        <location filename="../Sounds.cpp" line="100"/>
        <source>espeak-ng is not installed, so names cannot be spoken. Install it with: sudo apt install espeak-ng</source>
        <translation>espeak-ng が入っていないので名前を読み上げられません。次のコマンドで入れてください: sudo apt install espeak-ng</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="610"/>
        <source>The name spoken for %1 would be &quot;%2&quot;, the file&apos;s own name, as a camera gives it. Rename the photo to the name the child should hear (in the set maker window, write it after &quot;Say the name:&quot;).</source>
        <translation>%1 の読み上げる名前は、カメラが付けたファイル名そのままの「%2」になります。子どもに聞かせたい名前に写真の名前を変えてください (セット作成ウィンドウでは「名前を読み上げる：」に書いてください)。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="617"/>
        <source>Left out: %1</source>
        <translation>これは入れません: %1</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="622"/>
        <source>%1 is in the set twice: the child cannot tell its pairs apart.</source>
        <translation>%1 がセットに 2 回入っています。子どもにはそのペアの見分けがつきません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="631"/>
        <source>&quot;%1&quot; cannot be written in the Windows Japanese code page (Shift_JIS); rename the picture or choose another title.</source>
        <translation>「%1」は Windows の日本語の文字コード（Shift_JIS）で書けません。絵の名前かセットの名前を変えてください。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="668"/>
        <source>The folder %1 cannot be made.</source>
        <translation>フォルダ %1 を作れません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="675"/>
        <source>Nothing can be written in %1 (%2).</source>
        <translation>%1 に書き込めません（%2）。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="679"/>
        <source>The folder &quot;%1&quot; cannot be made in %2 (%3). Nothing was changed.</source>
        <translation>%2 にフォルダ「%1」を作れません（%3）。何も変えていません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="704"/>
        <source>The set cannot be written in %1: %2 cannot be written (%3). Nothing was changed.</source>
        <translation>%1 にセットを書き込めません。%2 を書き込めません（%3）。何も変えていません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="707"/>
        <source>it was written only in part; the disk may be full</source>
        <translation>一部しか書き込めませんでした。ディスクがいっぱいかもしれません</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="701"/>
        <source>Cancelled; nothing was written.</source>
        <translation>中止しました。何も書いていません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="737"/>
        <source>%1 cannot be converted to WAV: %2</source>
        <translation>%1 を WAV に変換できません: %2</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="741"/>
        <source>%1 cannot be copied.</source>
        <translation>%1 をコピーできません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="775"/>
        <source>A set called &quot;%1&quot; was made in %2 meanwhile. Nothing was changed.</source>
        <translation>作っているあいだに、%2 に「%1」というセットができました。何も変えていません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="787"/>
        <source>The set cannot be moved into %1 (%2). Nothing was changed.</source>
        <translation>セットを %1 に移せません（%2）。何も変えていません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="797"/>
        <source>Made the set &quot;%1&quot;: %2</source>
        <translation>セット「%1」を作りました: %2</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="810"/>
        <source>%1 is not a set that can be opened: its number of pairs cannot be read.</source>
        <translation>%1 は開けるセットではありません。ペアの数を読めません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="822"/>
        <source>The set says %1 pairs, but names %2 pictures: those are opened.</source>
        <translation>このセットには %1 組とありますが、絵は %2 枚しか書かれていません。その分だけ開きました。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="829"/>
        <source>The picture %1 is missing: its pair is left out.</source>
        <translation>絵 %1 がありません。その組は入れていません。</translation>
    </message>
    <message>
        <location filename="../SetWriter.cpp" line="841"/>
        <source>%1 is not a set that can be opened: a section is missing.</source>
        <translation>%1 は開けるセットではありません。足りない部分があります。</translation>
    </message>
    <message>
        <location filename="../Sounds.cpp" line="52"/>
        <source>%1 holds no sound.</source>
        <translation>%1 には音が入っていません。</translation>
    </message>
    <message>
        <location filename="../Sounds.cpp" line="63"/>
        <source>%1 is empty (0 bytes), as a recording or a copy that did not finish. Record or copy it again.</source>
        <translation>%1 は空です（0 バイト）。録音かコピーが途中で終わったようです。録音かコピーをやり直してください。</translation>
    </message>
    <message>
        <location filename="../Sounds.cpp" line="71"/>
        <source>%1 is a web page, not a sound: the download saved the page instead of the sound. Download the sound itself.</source>
        <translation>%1 は音ではなくウェブページです。ダウンロードで音の代わりにページが保存されました。音そのものをダウンロードしてください。</translation>
    </message>
    <message>
        <location filename="../Sounds.cpp" line="78"/>
        <source>%1 is MIDI music, which the game cannot play. Make a WAV of it, for example with timidity (package timidity): timidity &quot;%2&quot; -Ow -o &quot;%3.wav&quot;</source>
        <translation>%1 は MIDI の音楽で、ゲームでは鳴らせません。たとえば timidity（パッケージ timidity）で WAV にしてください: timidity &quot;%2&quot; -Ow -o &quot;%3.wav&quot;</translation>
    </message>
    <message>
        <location filename="../Sounds.cpp" line="84"/>
        <source>%1 is not a sound the game can play (it plays WAV, OGG, Opus, FLAC and MP3). Convert it to WAV, for example with: %2</source>
        <translation>%1 はゲームで鳴らせる音ではありません（鳴らせるのは WAV、OGG、Opus、FLAC、MP3）。たとえば次のコマンドで WAV に変換してください: %2</translation>
    </message>
    <message>
        <location filename="../Sounds.cpp" line="107"/>
        <source>espeak-ng could not be started.</source>
        <translation>espeak-ng を起動できません。</translation>
    </message>
    <message>
        <location filename="../Sounds.cpp" line="114"/>
        <source>espeak-ng could not speak &quot;%1&quot;: %2</source>
        <translation>espeak-ng が「%1」を読み上げられませんでした: %2</translation>
    </message>
    <message>
        <location filename="../Sounds.cpp" line="141"/>
        <source>%1 is cut short, as a download or a copy that did not finish: the game would play only its start. Copy it again.</source>
        <translation>%1 は途中で切れています（ダウンロードかコピーが終わっていません）。ゲームでは始めの部分しか鳴りません。もう一度コピーしてください。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="45"/>
        <source>Usage:
  kavimo-set make [--title TITLE] [--data DIR] [--speak] [--windows] [--force] PICTURE|FOLDER...
      Makes a set of the pictures (the first one is the preview). A sound with the same name
      beside a picture is its pair&apos;s sound. Written to DIR/TITLE.dat and DIR/TITLE/; DIR is your
      own set folder (%1) unless given, TITLE the first folder&apos;s name.
      --speak    a picture without a sound gets its name spoken (espeak-ng)
      --windows  only WAV sounds, JPEG pictures and Shift_JIS text, for the game on Windows
      --force    replace a set of the same title
  kavimo-set check [--json] [--windows] [SET.dat|FOLDER|TITLE]...
      Reads sets as the game does and says what a child would see go wrong. Without
      arguments: every set the game lists. Exit status 0: no errors, 1: errors, 2: wrong usage.
      --windows  also what would go wrong with the game on Windows
  kavimo-set
      Opens the set maker window.</source>
        <translation>使い方:
  kavimo-set make [--title 名前] [--data フォルダ] [--speak] [--windows] [--force] 絵|フォルダ...
      絵からセットを作ります（最初の絵が見本になります）。絵と同じ名前の音が横にあれば、
      そのペアの音になります。フォルダ/名前.dat とフォルダ/名前/ に書きます。フォルダを
      指定しなければ自分のセットのフォルダ（%1）、名前は最初のフォルダの名前です。
      --speak    音のない絵は名前を読み上げた音にします（espeak-ng）
      --windows  Windows のゲーム用に、音は WAV、絵は JPEG、文字は Shift_JIS にします
      --force    同じ名前のセットを置き換えます
  kavimo-set check [--json] [--windows] [セット.dat|フォルダ|名前]...
      ゲームと同じようにセットを読み、子どもにどう見えるかを知らせます。引数がなければ、
      ゲームが一覧に出すすべてのセットを調べます。終了コード 0: エラーなし、1: エラーあり、2: 使い方の誤り。
      --windows  Windows のゲームで起きることも知らせます
  kavimo-set
      セットづくりの画面を開きます。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="97"/>
        <source>the game does not list this set: it lists the sets directly in %1, not in the folders inside it. Move the set and its pictures&apos; folder up into %1.</source>
        <translation>ゲームはこのセットを一覧に出しません: 一覧に出るのは %1 の中にじかにあるセットだけで、その中のフォルダーにあるものは出ません。セットとその絵のフォルダーを %1 の中へ移してください。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="110"/>
        <source>1 pair</source>
        <translation>1 ペア</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="110"/>
        <source>%1 pairs</source>
        <translation>%1 ペア</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="111"/>
        <source>large cards</source>
        <translation>大きいカード</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="111"/>
        <source>small cards</source>
        <translation>小さいカード</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="112"/>
        <source>plays cleanly</source>
        <translation>問題なく遊べます</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="113"/>
        <source>1 error</source>
        <translation>エラー 1 件</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="113"/>
        <source>%1 errors</source>
        <translation>エラー %1 件</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="114"/>
        <source>1 warning</source>
        <translation>注意 1 件</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="114"/>
        <source>%1 warnings</source>
        <translation>注意 %1 件</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="120"/>
        <source>error</source>
        <translation>エラー</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="120"/>
        <source>warning</source>
        <translation>注意</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="160"/>
        <source>the game does not list this set: it is a link to %1, which leads back round to links, never to a file.</source>
        <translation>ゲームはこのセットを一覧に出しません: %1 へのリンクですが、リンクをたどると輪になっていて、ファイルに着きません。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="163"/>
        <source>the game does not list this set: it is a link to %1, which is not there.</source>
        <translation>ゲームはこのセットを一覧に出しません: %1 へのリンクですが、その先がありません。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="165"/>
        <source>the game does not list this set: it is not a file but a folder, a named pipe or a device.</source>
        <translation>ゲームはこのセットを一覧に出しません: ファイルではなく、フォルダーか名前付きパイプかデバイスです。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="227"/>
        <source>%1 is not a set: a set is a text file whose name ends in .dat. To make a set of photos, use kavimo-set make.</source>
        <translation>%1 はセットではありません。セットは名前が .dat で終わるテキストファイルです。写真からセットを作るには kavimo-set make を使ってください。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="245"/>
        <source>No sets found.</source>
        <translation>セットが見つかりません。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="269"/>
        <source>Give the pictures or folders to make a set of.</source>
        <translation>セットにする絵かフォルダを指定してください。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="283"/>
        <source>warning: %1</source>
        <translation>注意: %1</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="292"/>
        <source>error: %1</source>
        <translation>エラー: %1</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="295"/>
        <source>To replace the set, add --force.</source>
        <translation>セットを置き換えるには --force を付けてください。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="320"/>
        <source>There is no display to open the set maker window on (DISPLAY is not set). In a terminal, make and check work without one.</source>
        <translation>セットづくりの画面を開くディスプレイがありません（DISPLAY が設定されていません）。端末では make と check はディスプレイなしで使えます。</translation>
    </message>
    <message>
        <location filename="../main.cpp" line="336"/>
        <source>Unknown command: %1</source>
        <translation>知らないコマンドです: %1</translation>
    </message>
</context>
<context>
    <name>kavimo::maker::MakerWindow</name>
    <message>
        <location filename="../MakerWindow.cpp" line="64"/>
        <source>Error</source>
        <translation>エラー</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="64"/>
        <source>Warning</source>
        <translation>注意</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="148"/>
        <source>Saving… The window closes once the set is saved.</source>
        <translation>保存しています… 保存が終わると画面を閉じます。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="155"/>
        <source>Close without saving? The pairs you made here are not saved yet.</source>
        <translation>保存しないで閉じますか？ここで作ったペアはまだ保存されていません。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="274"/>
        <source>Kavimo set maker</source>
        <translation>Kavimo セットづくり</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="275"/>
        <source>New set</source>
        <translation>新しいセット</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="276"/>
        <source>Add pictures…</source>
        <translation>写真を追加…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="277"/>
        <source>Open…</source>
        <translation>開く…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="278"/>
        <source>Title:</source>
        <translation>タイトル：</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="279"/>
        <source>Square:</source>
        <translation>切り取り：</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="280"/>
        <source>Sound when the pair is found</source>
        <translation>ペアがそろったときの音</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="281"/>
        <source>None (the usual sound)</source>
        <translation>なし（いつもの音）</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="282"/>
        <source>A sound file</source>
        <translation>音のファイル</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="283"/>
        <source>Say the name:</source>
        <translation>名前を読み上げる：</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="284"/>
        <source>Choose…</source>
        <translation>選ぶ…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="286"/>
        <source>Listen</source>
        <translation>聞く</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="287"/>
        <source>Remove this pair</source>
        <translation>このペアを外す</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="288"/>
        <source>Save in…</source>
        <translation>保存先…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="289"/>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="290"/>
        <source>Play it now</source>
        <translation>いますぐ遊ぶ</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="291"/>
        <location filename="../MakerWindow.cpp" line="838"/>
        <source>Saves in %1</source>
        <translation>保存先：%1</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="292"/>
        <source>Drop photos or folders here; drag a card to change the order.</source>
        <translation>ここに写真やフォルダーをドロップしてください。カードをドラッグすると順番が変わります。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="294"/>
        <source>Drag the square or move it with the arrow keys; the wheel or + and - change its size.</source>
        <translation>四角はドラッグか矢印キーで動かせます。ホイールか + と - で大きさが変わります。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="310"/>
        <source>Add pictures</source>
        <translation>写真を追加</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="311"/>
        <source>Pictures (%1)</source>
        <translation>写真 (%1)</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="319"/>
        <source>Open a set</source>
        <translation>セットを開く</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="319"/>
        <source>Sets (*.dat)</source>
        <translation>セット (*.dat)</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="321"/>
        <source>Open another set without saving? The pairs you made here are not saved yet.</source>
        <translation>保存しないでほかのセットを開きますか？ここで作ったペアはまだ保存されていません。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="355"/>
        <source>Choose a sound</source>
        <translation>音を選ぶ</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="356"/>
        <source>Sounds (*.%1);;All files (*)</source>
        <translation>音 (*.%1);;すべてのファイル (*)</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="372"/>
        <source>Save in a Data folder</source>
        <translation>保存する Data フォルダー</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="450"/>
        <source>The set could not be read.</source>
        <translation>セットを読み込めませんでした。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="531"/>
        <source>These files are not pictures that can be used:</source>
        <translation>次のファイルは写真として使えません：</translation>
    </message>
    <message numerus="yes">
        <location filename="../MakerWindow.cpp" line="534"/>
        <source>And %n more: %1</source>
        <translation>
            <numerusform>ほかに %n 個：%1</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="539"/>
        <source>A set holds at most %1 pairs: %2 more not added.</source>
        <translation>1 つのセットは %1 ペアまでです。残りの %2 枚は追加していません。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="593"/>
        <source>No pictures yet: add some, or drop photos or folders on the cards.</source>
        <translation>まだ写真がありません。追加するか、写真やフォルダーをここにドロップしてください。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="595"/>
        <source>1 pair: 2 large cards</source>
        <translation>1 ペア：大きいカード 2 枚</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="597"/>
        <source>%1 pairs: %2 large cards</source>
        <translation>%1 ペア：大きいカード %2 枚</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="599"/>
        <source>%1 pairs: %2 small cards</source>
        <translation>%1 ペア：小さいカード %2 枚</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="624"/>
        <source>★ preview</source>
        <translation>★ 見本</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="285"/>
        <location filename="../MakerWindow.cpp" line="702"/>
        <location filename="../MakerWindow.cpp" line="715"/>
        <source>(none chosen)</source>
        <translation>（未選択）</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="660"/>
        <source>Start a new set without saving? The pairs you made here are not saved yet.</source>
        <translation>保存しないで新しいセットを始めますか？ここで作ったペアはまだ保存されていません。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="800"/>
        <source>No scratch folder for the spoken name: %1</source>
        <translation>読み上げ用の一時フォルダーを作れません：%1</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="814"/>
        <source>The name could not be spoken: %1</source>
        <translation>名前を読み上げられませんでした：%1</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="865"/>
        <source>Add pictures with &quot;Add pictures…&quot; and give the set a title.</source>
        <translation>「写真を追加…」で写真を加えて、セットにタイトルを付けてください。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="876"/>
        <source>Saving replaces the set &quot;%1&quot; that is there already.</source>
        <translation>保存すると、もうある「%1」というセットを置き換えます。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="894"/>
        <source>Ready to save.</source>
        <translation>保存できます。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="895"/>
        <source>Nothing to save: the set is saved as it is shown.</source>
        <translation>保存するものはありません。表示しているとおりに保存されています。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="913"/>
        <source>The set &quot;%1&quot; was changed by another window or program since it was opened or saved here. Replace it with the set shown here? What the set maker did not make in its folder stays.</source>
        <translation>セット「%1」は、ここで開くか保存したあとで、ほかのウィンドウかプログラムが変えました。ここに見えているセットで置き換えますか？そのフォルダにある、セットづくりで作ったのではないものは残ります。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="916"/>
        <source>Replace the set &quot;%1&quot; that is there already? What the set maker did not make in its folder stays.</source>
        <translation>もうある「%1」というセットを置き換えますか？そのフォルダにある、セットづくりで作ったのではないものは残ります。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="924"/>
        <source>Saving…</source>
        <translation>保存しています…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="933"/>
        <source>The set was not saved.</source>
        <translation>セットは保存されませんでした。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="68"/>
        <source>Saved as %1.</source>
        <translation>%1 に保存しました。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="948"/>
        <source>Save the set first: the game plays it as it was last saved.</source>
        <translation>先にセットを保存してください。ゲームは最後に保存したとおりに遊びます。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="953"/>
        <source>The game lists only the sets in %1 and %2, so it cannot show this one. Save the set in one of them to play it.</source>
        <translation>ゲームが並べるのは %1 と %2 にあるセットだけなので、このセットは出てきません。遊ぶには、どちらかに保存してください。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="961"/>
        <source>The game could not be started: %1</source>
        <translation>ゲームを起動できませんでした：%1</translation>
    </message>
</context>
</TS>
