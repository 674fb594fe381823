// The sub-commands of omnisetup-cli with the usage line and summary --help prints for each.
#include "command.h"

namespace omni::cli {
namespace {

// dataedit lists its sub-commands under its summary.
constexpr const char* kDataEditSummary =
    "make data edit scripts and print the command that stores them (--port PATH sends it)\n"
    "      escape TEXT                 the escaped text and its count of characters\n"
    "      gs1-convert [--begin S] [--end S] [--ai] [--ai-brackets] [--between S]\n"
    "                  [--after-flexible S] [--suppress-dd] [--decimal-point] [--program N]\n"
    "      gs1-pickup --ai AI[=S]... [--lead S] [--suppress-dd] [--decimal-point] [--program N]\n"
    "                  (AI as the list writes it: 01, 17, 310D, 23L, ...; one to four)\n"
    "      book-code [--s1 S] [--s2 S] [--s3 S] [--s4 S] [--fix-price-5] [--program N]\n"
    "      multi-label --label TYPE[:BEGIN[:END[:MIN[:MAX]]]]... [--separator CHAR]...\n"
    "                  [--begin CHAR] [--end CHAR] [--no-begin-end]\n"
    "                  (TYPE: Any Code, EAN-13, QR Code, ...; a colon in BEGIN or END is \\:;\n"
    "                   CHAR: a character-table name such as GS, /, Tab, Enter)\n"
    "      direct --cut SCRIPT --paste SCRIPT [--program N]\n"
    "      ocr --line POSITIONS[:TERMINATION] [--line ...] [--font NAME]\n"
    "                  (POSITIONS: N,A,AN,SP or a punctuation character, CODExK repeats;\n"
    "                   TERMINATION: HT, CR, Tab, Enter, None; NAME: OCR-B, OCR-A, MS-GOTHIC,\n"
    "                   MS-MINCHO)\n"
    "      gs1 --sample TEXT [--form brackets|separated|fnc1|user [--option NAME]...\n"
    "                  [--row AI:SETTING,...]... [--delay MS]]\n"
    "                  (the sample with spaces or \\x1D between fields; prints the rows, then\n"
    "                   the output forms with their images, or with --form the output image\n"
    "                   and the command for program 4. NAME: output-ai,\n"
    "                   ai-brackets, other-ais, suppress-dd, decimal-point, aim-id, code128,\n"
    "                   between=CHAR[,CHAR], after-variable=CHAR[,CHAR],\n"
    "                   multi-separator=CHAR[,CHAR]; no-NAME turns a flag off. SETTING:\n"
    "                   output=0|1, header1=CHAR, header2=CHAR, terminator1=CHAR,\n"
    "                   terminator2=CHAR; --row needs --form user)\n"
    "      read --port PATH            the four stored programs\n"
    "      The simple wizards' commands are followed by Z2 when sent.";

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> table{
        {"apply", "apply --page FILE --port PATH [--port PATH]... [--all] [--verify]",
         "send a page file's commands to one or many readers in parallel, one "
         "result line per reader; --verify checks every command is acknowledged",
         &runApply},
        {"catalog", "catalog [--1d]", "print the 2D (or 1D) command catalog as a tree",
         &runCatalog},
        {"dataedit", "dataedit SUBCOMMAND [OPTIONS] [--port PATH]", kDataEditSummary, &runDataEdit},
        {"firmware", "firmware --port PATH [--boot-loader] [--yes] FILE",
         "load new firmware into the reader's engine and wait for it to restart", &runFirmware},
        {"identify",
         "identify --port PATH [--baud N] [--data-bits 5-8] [--parity P] "
         "[--stop-bits S] [--flow F]",
         "identify the reader's engine: family, firmware version, model", &runIdentify},
        {"image-settings", "image-settings --port PATH [--set NAME=VALUE ...]",
         "print the imaging engine's output settings; --set changes and writes "
         "them (trim-left ... reverse)",
         &runImageSettings},
        {"log", "log [--codepage N | --hex | --utf16le | --utf16be | --list]",
         "show standard input as the communication log shows received bytes "
         "(default: the locale's character code; --list prints the code pages)",
         &runLog},
        {"menucode",
         "menucode [--1d] [--page FILE]... [--entry PATH [--value N]]... [--command TEXT]... "
         "[--module-size N] [--show-command] [--print] [-o FILE] [--save-page FILE]",
         "draw a menu-code page (QR, or Code 39 with --1d) as .png, .svg, .pdf or .emf, or save it "
         "as a page file (.omnipage)",
         &runMenucode},
        {"port-settings",
         "port-settings --port PATH [--reset | [--baud N] [--data-bits 5-8] "
         "[--parity none|odd|even|mark|space] [--stop-bits 1|1.5|2] "
         "[--flow none|hardware|software]]",
         "show the line settings stored for a port, reset them to 9600 8N1, or "
         "store the ones given",
         &runPortSettings},
        {"reading-test", "reading-test --port PATH [--seconds N] [--verify-1d]",
         "show what the reader reads for N seconds (or until Ctrl+C), then put it "
         "back; --verify-1d: the 1D reading-rate check",
         &runReadingTest},
        {"resolve", "resolve [--1d] PATH [--value N | --initialize | --inhibit]",
         "print the page items of the catalog entry at PATH (captions joined by \" > \")",
         &runResolve},
        {"send", "send --port PATH [--quiet MS] [--ack] CMD...",
         "send each command framed (ESC, command, CR) and print the reader's answer "
         "as the log shows it; --ack checks one ACK per command (ACK mode, WC/WD)",
         &runSend},
        {"send-image", "send-image --port PATH FILE",
         "send a picture (.bmp, .jpg) to the imaging engine for a decoding test "
         "and print what the reader reports",
         &runSendImage},
        {"shoot", "shoot --port PATH [--trigger down|up|twice] [--wait SECONDS] -o FILE",
         "take a picture with the reader's imaging engine and save it as .bmp or "
         ".jpg (Ctrl+C cancels)",
         &runShoot},
        {"tokens", "tokens TEXT",
         "count the menu-command tokens of TEXT (\\r is a carriage return)", &runTokens},
        {"tune", "tune --port PATH [--bank 1-5] [--moving] [--apply] [--save FILE]",
         "auto tuning to the code in front of a 2D reader; prints the tuned bank, "
         "--apply applies it, --save writes the recorded commands to FILE",
         &runTune},
    };
    return table;
}

}  // namespace omni::cli
