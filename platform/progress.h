// The builder's progress display (filled in with the builder).
#pragma once
